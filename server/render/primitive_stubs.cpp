// Placeholders until this module lands: every request here is read in
// full by the dispatcher and then does nothing. Delete this file when
// the real module defines these functions.
#include "core/handlers.h"
#include "render/primitives.h"

void InitColors() {}

void HandleFillRect(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawPointXorScreen(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawWHLineXorScreen(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawWVLineXorScreen(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawWRectXorScreen(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawPointScreen(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillRectScreen(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawPoint(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawPointLeftCustom(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawPointRightCustom(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawDashHLine(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawDashVLine(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawDashRect(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawHLine(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawVLine(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawWHLine(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawWVLine(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawHLineW(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawVLineW(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawHLineWGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawVLineWGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawHLineCustom(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawLine(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawUpBoxS(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawDownBoxS(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawUpBox(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawDownBox(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawUpBoxRGB(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawDownBoxRGB(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillUpBoxS(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillDownBoxS(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillUpBox(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawUpBoxCustom(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawDownBoxCustom(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawUpBoxCustomRGB(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawDownBoxCustomRGB(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawHSeperator2(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawHSeperator3D2(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawVSeperator2(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawVSeperator3D2(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawRect(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawWRect(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawRectW(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillRectW(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawGradientRect(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawRectWGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillRectWGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawSmallArrow(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawSmallEndArrow(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawCheckBox(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawTabTitleBox(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawPolygon(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillPolygon(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawCircle(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillCircle(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillCircleW(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillCircleGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillCircleGradientW(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillCircleGradientW2(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawEllipse(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillEllipse(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillEllipseGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawEllipseW(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawEllipseWGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillEllipseW(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillEllipseWGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawRoundRect(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawRoundRectW(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawRoundRectWGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillRoundRectWGradientBase(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillRoundRect(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillRoundRectWGradient(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillRoundRectWGradient2(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawArcAera(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawArc(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillArc(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawArcDouble(SSClient*, const uint8_t*, uint32_t) {}
void HandleFillArcDouble(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawLineW(SSClient*, const uint8_t*, uint32_t) {}
void HandleDrawLineWPolygon(SSClient*, const uint8_t*, uint32_t) {}
