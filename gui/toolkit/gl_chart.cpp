// Bar, line and pie charts.
#include "gl_chart.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "egui_conn.h"
#include "gl_pixmap.h"
#include "gl_text.h"
#include "nc_request.h"

namespace {

char* CopyText(char const* text) {
    if (!text || !*text) return nullptr;
    size_t n = strlen(text) + 1;
    char* copy = new (std::nothrow) char[n];
    if (copy) memcpy(copy, text, n);
    return copy;
}

// Appends value to an owned array of `count` elements; false when full (the
// counts are 8-bit) or out of memory.
template <class T> bool Append(T*& array, unsigned char& count, T value) {
    if (count == 255) return false;
    T* grown = new (std::nothrow) T[count + 1];
    if (!grown) return false;
    std::copy(array, array + count, grown);
    grown[count] = value;
    delete[] array;
    array = grown;
    ++count;
    return true;
}

bool AppendName(char**& names, unsigned char& count, char const* name) {
    char* copy = CopyText(name);
    if (!copy) return false;
    unsigned char n = count;
    if (!Append(names, n, copy)) {
        delete[] copy;
        return false;
    }
    count = n;
    return true;
}

void FreeNames(char** names, int count) {
    for (int i = 0; i < count; ++i)
        delete[] names[i];
    delete[] names;
}

// ---- Text with the default font ----------------------------------------------------------

struct TextBox {
    int width, ascent, height;
};

TextBox Measure(GL_Font* font, char const* text) {
    _GS_Rect r{0, 0, 0, 0};
    GL_GetTextInfo(font, nullptr, text, 0, &r, nullptr, nullptr);
    return {r.width, -r.y, r.height};
}

void Text(unsigned long pix, GL_Font* font, int x, int baseline, char const* text, unsigned long pixel) {
    GL_TextOutUtf82(pix, font, nullptr, x, baseline, text, 0, pixel, nullptr);
}

void Number(char* out, size_t size, double v) { snprintf(out, size, "%g", v); }

// ---- Shared parts of the bar and line charts ------------------------------------------------

// Normalised axis settings: finite values, min <= max, a positive step.
void NormaliseAxis(double& min, double& max, double& step, int& margin, unsigned long m) {
    if (!std::isfinite(min)) min = 0;
    if (!std::isfinite(max)) max = 0;
    if (min > max) std::swap(min, max);
    if (!std::isfinite(step)) step = 1;
    step = std::fabs(step);
    if (step == 0) step = 1;
    margin = m < 25 ? 25 : m > 10000 ? 10000 : int(m);
}

void DrawGridLabel(unsigned long pix, GL_Font* font, int x, int y, double v) {
    char label[32];
    Number(label, sizeof label, v);
    Text(pix, font, x - Measure(font, label).width, y, label, iBlackS);
}

// The legend in the top margin, with two or more series.
void DrawLegend(unsigned long pix, GL_Font* font, int w, int margin, int seriesCount, char** names,
                _GL_Color const* colors) {
    if (seriesCount < 2) return;
    int cell = (w - 2 * margin) / seriesCount;
    for (int s = 0; s < seriesCount; ++s) {
        TextBox t = Measure(font, names[s]);
        int x = margin + s * cell + (cell - (6 + 8 + t.width)) / 2;
        NC_FillRect(pix, x, (margin - 8) / 2, 6, 8, colors[s].pixel);
        Text(pix, font, x + 6 + 8, (margin - t.height) / 2 + t.ascent, names[s], iBlackS);
    }
}

// Category ticks and names under the groups of series 0.
void DrawCategory(unsigned long pix, GL_Font* font, int h, int margin, int centre, char const* name) {
    NC_DrawVLine(pix, centre, h - margin + 1, h - margin + 3, iBlackS);
    if (!name) return;
    TextBox t = Measure(font, name);
    Text(pix, font, centre - t.width / 2, h - margin + 5 + t.ascent, name, iBlackS);
}

int AddItem(GL_DList& items, unsigned char serie, unsigned char category, double value, int seriesCount,
            int categoryCount) {
    if (serie >= seriesCount || category >= categoryCount) return -1;
    GL_BarItem* item = GL_CreateBarItem(serie, category, value);
    if (!item) return -1;
    if (!items.AddTail(nullptr, item, 0)) {
        delete item;
        return -1;
    }
    return 0;
}

void FreeItems(GL_DList& items) {
    for (GL_DListData* n = items.head; n; n = n->next)
        delete static_cast<GL_BarItem*>(n->data);
    items.ClearAll();
}

} // namespace

GL_BarItem* GL_CreateBarItem(unsigned char serie, unsigned char category, double value) {
    return new (std::nothrow) GL_BarItem{serie, category, value};
}

GL_LineItem* GL_CreateLineItem(unsigned char serie, unsigned char category, double value) {
    return GL_CreateBarItem(serie, category, value);
}

GL_PieChartItem* GL_CreatePieChartItem(double value, _GL_Color color, char* name) {
    GL_PieChartItem* item = new (std::nothrow) GL_PieChartItem{value, color, nullptr};
    if (item && name && *name && !(item->name = CopyText(name))) {
        delete item;
        return nullptr;
    }
    return item;
}

GL_ChartGrid GL_ChartGridFor(double min, double max, double step, int margin, int plotHeight) {
    GL_ChartGrid g{0, 0, margin + std::max(plotHeight, 0)};
    if (plotHeight <= 0 || !(step > 0)) return g;
    double cells = std::trunc((max - min) / step);
    // Cells less than a pixel apart cannot be told apart: the base line alone.
    if (!(cells >= 1) || cells > plotHeight) return g;
    g.cells = int(cells);
    g.spacing = plotHeight / g.cells;
    g.base = margin + g.cells * g.spacing;
    return g;
}

int GL_ChartBarHeight(double value, double max, int plotHeight) {
    if (!std::isfinite(value)) return -1;
    if (!(max > 0) || plotHeight <= 0 || value <= 0) return 0;
    double h = value / max * plotHeight;
    return h >= plotHeight ? plotHeight : int(h);
}

// ---- GL_BarChart ------------------------------------------------------------------------------

GL_BarChart::GL_BarChart(GL_Window* parent, char const* name, unsigned long margin, double min, double max, double step,
                         unsigned char mode, int style)
    : GL_Window(parent, name, style) {
    Init(margin, min, max, step, mode, style);
}

GL_BarChart::GL_BarChart(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long margin,
                         double min, double max, double step, unsigned char mode, int style)
    : GL_Window(parent, name, x, y, w, h, iWhiteS, style) {
    Init(margin, min, max, step, mode, style);
}

GL_BarChart::~GL_BarChart() {
    FreeItems(items);
    FreeNames(seriesNames, seriesCount);
    FreeNames(categoryNames, categoryCount);
    delete[] seriesColors;
    delete[] seriesColors2;
}

const char* GL_BarChart::GetClassName() { return "GL_BarChart"; }

int GL_BarChart::Init(unsigned long m, double min, double max, double s, unsigned char md, int) {
    minValue = min;
    maxValue = max;
    step = s;
    NormaliseAxis(minValue, maxValue, step, margin, m);
    seriesCount = categoryCount = 0;
    seriesNames = categoryNames = nullptr;
    seriesColors = seriesColors2 = nullptr;
    mode = md == 2 ? 2 : 1;
    barUnit = 0;
    return 0;
}

int GL_BarChart::AddCategory(char* name) { return AppendName(categoryNames, categoryCount, name) ? 0 : -1; }

namespace {

// A series of a bar chart: both colour arrays grow with the names, so that
// the three stay the same length.
int AppendSerie(GL_BarChart& chart, char* name, _GL_Color from, _GL_Color to) {
    if (!name || !*name || chart.seriesCount == 255) return -1;
    unsigned char n = chart.seriesCount, n2 = chart.seriesCount;
    if (!Append(chart.seriesColors, n, from) || !Append(chart.seriesColors2, n2, to)) return -1;
    return AppendName(chart.seriesNames, chart.seriesCount, name) ? 0 : -1;
}

} // namespace

int GL_BarChart::AddSerie(char* name, _GL_Color color) {
    return mode == 1 ? AppendSerie(*this, name, color, color) : -1;
}

int GL_BarChart::AddSerieGradient(char* name, _GL_Color from, _GL_Color to) {
    return mode == 2 ? AppendSerie(*this, name, from, to) : -1;
}

int GL_BarChart::SetItem(unsigned char serie, unsigned char category, double value) {
    return AddItem(items, serie, category, value, seriesCount, categoryCount);
}

int GL_BarChart::Draw(_GS_Region*) {
    if (!(windowFlags & GL_WIN_VIEWABLE) || w <= 0 || h <= 0) return -1;
    unsigned long pix = BeginPixmap(w, h, iDepth);
    DrawBackground(pix);
    const int pw = w - 2 * margin, ph = h - 2 * margin;
    if (pw > 0 && ph > 0) {
        GL_ChartGrid g = GL_ChartGridFor(minValue, maxValue, step, margin, ph);
        for (int i = 0; i < g.cells; ++i) {
            int y = margin + i * g.spacing;
            NC_DrawDashHLine(pix, margin + 1, w - margin, y, iDarkGreyS);
            DrawGridLabel(pix, font, w - margin + 6, y, maxValue - i * step);
        }
        NC_DrawHLine(pix, margin + 1, w - margin, g.base, iDarkGreyS);
        DrawGridLabel(pix, font, w - margin - 2, g.base, minValue);

        int unit = pw / (seriesCount * categoryCount + categoryCount + 1);
        barUnit = (unsigned char)std::min(unit, 255);
        for (int s = 0; s < seriesCount; ++s) {
            int k = 0;
            for (GL_DListData* n = items.head; n; n = n->next) {
                GL_BarItem const* item = static_cast<GL_BarItem*>(n->data);
                if (item->serie != s) continue;
                int group = k++;
                int height = GL_ChartBarHeight(item->value, maxValue, ph);
                long x = margin + long(barUnit) * (seriesCount * group + group + 1 + s);
                // Further values of a series than there are categories have no place.
                if (x + barUnit > w - margin) continue;
                if (height > 0 && barUnit > 0) {
                    int y = h - margin - height;
                    if (mode == 2) {
                        _GL_Color a = seriesColors[s], b = seriesColors2[s];
                        NC_DrawGradientRect(pix, int(x), y, barUnit, height, a.r, a.g, a.b, b.r, b.g, b.b, 0, 0, 0, 1,
                                            0);
                    } else {
                        NC_FillRect(pix, int(x), y, barUnit, height, seriesColors[s].pixel);
                    }
                }
                if (height >= 0) {
                    char label[32];
                    Number(label, sizeof label, item->value);
                    Text(pix, font, int(x) + (barUnit - Measure(font, label).width) / 2,
                         h - margin - std::max(height, 0) - 3, label, iBlackS);
                }
                if (s == 0)
                    DrawCategory(pix, font, h, margin, int(x) + seriesCount * barUnit / 2,
                                 group < categoryCount ? categoryNames[group] : nullptr);
            }
        }
        DrawLegend(pix, font, w, margin, seriesCount, seriesNames, seriesColors);
    }
    EndPixmap(pix, this);
    return 0;
}

// ---- GL_LineChart -----------------------------------------------------------------------------

GL_LineChart::GL_LineChart(GL_Window* parent, char const* name, unsigned long margin, double min, double max,
                           double step, unsigned char mode, int style)
    : GL_Window(parent, name, style) {
    Init(margin, min, max, step, mode, style);
}

GL_LineChart::GL_LineChart(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long margin,
                           double min, double max, double step, unsigned char mode, int style)
    : GL_Window(parent, name, x, y, w, h, iWhiteS, style) {
    Init(margin, min, max, step, mode, style);
}

GL_LineChart::~GL_LineChart() {
    FreeItems(items);
    FreeNames(seriesNames, seriesCount);
    FreeNames(categoryNames, categoryCount);
    delete[] seriesColors;
}

const char* GL_LineChart::GetClassName() { return "GL_LineChart"; }

int GL_LineChart::Init(unsigned long m, double min, double max, double s, unsigned char md, int) {
    minValue = min;
    maxValue = max;
    step = s;
    NormaliseAxis(minValue, maxValue, step, margin, m);
    seriesCount = categoryCount = 0;
    seriesNames = categoryNames = nullptr;
    seriesColors = nullptr;
    mode = md == 2 ? 2 : 1;
    barUnit = 0;
    return 0;
}

int GL_LineChart::AddCategory(char* name) { return AppendName(categoryNames, categoryCount, name) ? 0 : -1; }

int GL_LineChart::AddSerie(char* name, _GL_Color color) {
    if (!name || !*name || seriesCount == 255) return -1;
    unsigned char n = seriesCount;
    if (!Append(seriesColors, n, color)) return -1;
    return AppendName(seriesNames, seriesCount, name) ? 0 : -1;
}

int GL_LineChart::SetItem(unsigned char serie, unsigned char category, double value) {
    return AddItem(items, serie, category, value, seriesCount, categoryCount);
}

int GL_LineChart::Draw(_GS_Region*) {
    if (!(windowFlags & GL_WIN_VIEWABLE) || w <= 0 || h <= 0) return -1;
    unsigned long pix = BeginPixmap(w, h, iDepth);
    DrawBackground(pix);
    const int pw = w - 2 * margin, ph = h - 2 * margin;
    if (pw > 0 && ph > 0) {
        NC_DrawHLine(pix, margin - 4, w - margin, h - margin, iBlackS);
        const int stepX = categoryCount ? pw / categoryCount : pw;
        for (int s = 0; s < seriesCount; ++s) {
            unsigned long pixel = seriesColors[s].pixel;
            int k = 0, lastX = 0, lastY = 0;
            for (GL_DListData* n = items.head; n; n = n->next) {
                GL_LineItem const* item = static_cast<GL_LineItem*>(n->data);
                if (item->serie != s) continue;
                int group = k++;
                int height = GL_ChartBarHeight(item->value, maxValue, ph);
                if (height < 0 || group >= std::max<int>(categoryCount, 1)) continue;
                int x = margin + group * stepX + stepX / 2, y = h - margin - height;
                static const int kCross[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
                for (auto const& d : kCross)
                    NC_DrawPoint(pix, x + d[0], y + d[1], pixel);
                if (group > 0 && lastX) NC_DrawLine(pix, lastX, lastY, x, y, pixel);
                lastX = x;
                lastY = y;
                char label[32];
                Number(label, sizeof label, item->value);
                TextBox t = Measure(font, label);
                if (group == 0)
                    Text(pix, font, x - 4 - t.width, y - 3, label, pixel);
                else if (group == categoryCount - 1)
                    Text(pix, font, x + 4, y - 3, label, pixel);
                else
                    Text(pix, font, x - t.width / 2, y - 4, label, pixel);
                if (s == 0)
                    DrawCategory(pix, font, h, margin, x, group < categoryCount ? categoryNames[group] : nullptr);
            }
        }
        GL_ChartGrid g = GL_ChartGridFor(minValue, maxValue, step, margin, ph);
        for (int i = 0; i <= g.cells; ++i) {
            int y = i < g.cells ? margin + i * g.spacing : g.base;
            NC_DrawDashHLine(pix, margin + 1, w - margin, y, iDarkGreyS);
            if (i < g.cells) DrawGridLabel(pix, font, w - margin + 6, y, maxValue - i * step);
        }
        // The minimum stands left of the plot, beside the x axis.
        DrawGridLabel(pix, font, margin - 6, g.base, minValue);
        DrawLegend(pix, font, w, margin, seriesCount, seriesNames, seriesColors);
    }
    EndPixmap(pix, this);
    return 0;
}

// ---- GL_PieChart ------------------------------------------------------------------------------

GL_PieChart::GL_PieChart(GL_Window* parent, char const* name, unsigned long m, unsigned char f, int style)
    : GL_Window(parent, name, style), margin(m < 70      ? 70
                                             : m > 10000 ? 10000
                                                         : int(m)),
      flag(f) {}

GL_PieChart::GL_PieChart(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long m,
                         unsigned char f, int style)
    : GL_Window(parent, name, x, y, w, h, iWhiteS, style), margin(m < 70      ? 70
                                                                  : m > 10000 ? 10000
                                                                              : int(m)),
      flag(f) {}

GL_PieChart::~GL_PieChart() {
    for (GL_DListData* n = slices.head; n; n = n->next) {
        auto* item = static_cast<GL_PieChartItem*>(n->data);
        delete[] item->name;
        delete item;
    }
    slices.ClearAll();
}

const char* GL_PieChart::GetClassName() { return "GL_PieChart"; }

int GL_PieChart::AddItem(double value, _GL_Color color, char* name) {
    GL_PieChartItem* item = GL_CreatePieChartItem(value, color, name);
    if (!item) return -1;
    if (!slices.AddTail(item->name, item, 0)) {
        delete[] item->name;
        delete item;
        return -1;
    }
    return 0;
}

int GL_PieChart::Draw(_GS_Region*) {
    if (!(windowFlags & GL_WIN_VIEWABLE) || w <= 0 || h <= 0) return -1;
    unsigned long pix = BeginPixmap(w, h, iDepth);
    DrawBackground(pix);
    const int r = std::max((std::min(w, h) - 2 * margin) / 2, 0), cx = w / 2, cy = h / 2;
    double total = 0;
    for (GL_DListData* n = slices.head; n; n = n->next) {
        double v = static_cast<GL_PieChartItem*>(n->data)->value;
        // A slice that is not finite or below zero has no angle.
        if (std::isfinite(v) && v > 0) total += v;
    }
    if (slices.count > 0 && total > 0 && std::isfinite(total)) {
        double start = 0;
        for (GL_DListData* n = slices.head; n; n = n->next) {
            auto const* item = static_cast<GL_PieChartItem*>(n->data);
            double v = std::isfinite(item->value) && item->value > 0 ? item->value : 0;
            double sweep = v * 360 / total;
            printf("value=%lf total=%lf inc=%lf\n", item->value, total, sweep);
            if (v > 0 && r > 0) {
                NC_FillArc(pix, cx, cy, r, int(start * 16), int(sweep * 16), item->color.pixel);
                double m = (start + sweep / 2) * M_PI / 180;
                int x1 = cx + int((r + 1) * std::cos(m)), y1 = cy + int((r + 1) * std::sin(m));
                int x2 = cx + int((r + 6) * std::cos(m)), y2 = cy + int((r + 6) * std::sin(m));
                NC_DrawLine(pix, x1, y1, x2, y2, iBlackS);
                char label[64];
                snprintf(label, sizeof label, "%3.2f%%/%g", v * 100 / total, v);
                TextBox t = Measure(font, label);
                double middle = start + sweep / 2;
                if (middle >= 90 && middle < 270) {
                    Text(pix, font, x2 - 2 - t.width, y2, label, iBlackS);
                    NC_DrawHLine(pix, x2 - 2 - t.width, x2, y2 + 2, iBlackS);
                } else {
                    Text(pix, font, x2 + 2, y2, label, iBlackS);
                    NC_DrawHLine(pix, x2 + 2, x2 + 2 + t.width, y2 + 2, iBlackS);
                }
            }
            start += sweep;
        }
        int cell = w / slices.count, i = 0;
        for (GL_DListData* n = slices.head; n; n = n->next, ++i) {
            auto const* item = static_cast<GL_PieChartItem*>(n->data);
            if (!item->name) continue;
            TextBox t = Measure(font, item->name);
            int x = i * cell + (cell - (6 + 8 + t.width)) / 2, base = h - margin / 2;
            NC_FillRect(pix, x, base - t.ascent / 2 - 4, 6, 8, item->color.pixel);
            Text(pix, font, x + 14, base, item->name, iBlackS);
        }
    }
    fflush(stdout);
    EndPixmap(pix, this);
    return 0;
}
