// Charts: plain and gradient bars, lines and a pie, from the same small data.
#include "gallery.h"

#include <initializer_list>

namespace {

char kMonths[][4] = {"Jan", "Feb", "Mar", "Apr"};
double const kRead[] = {42, 65, 30, 80}, kBought[] = {20, 35, 55, 45};

void Build(GL_Window* page) {
    const int w = (page->GetWidth() - 36) / 2, h = (page->GetHeight() - 36) / 2;
    _GL_Color black = NewColor(0, 0, 0, 255), grey = NewColor(150, 150, 150, 255);
    _GL_Color white = NewColor(255, 255, 255, 255), dark = NewColor(60, 60, 60, 255);

    auto* bars = new GL_BarChart(page, "bars", 12, 12, w, h, 40, 0, 100, 25, 1, 0);
    bars->AddSerie((char*)"read", black);
    bars->AddSerie((char*)"bought", grey);
    auto* gradient = new GL_BarChart(page, "gradient", 24 + w, 12, w, h, 40, 0, 100, 20, 2, 0);
    gradient->AddSerieGradient((char*)"pages", dark, white);
    auto* line = new GL_LineChart(page, "line", 12, 24 + h, w, h, 40, 0, 100, 25, 1, 0);
    line->AddSerie((char*)"read", black);
    line->AddSerie((char*)"bought", grey);
    for (int m = 0; m < 4; ++m) {
        bars->AddCategory(kMonths[m]);
        gradient->AddCategory(kMonths[m]);
        line->AddCategory(kMonths[m]);
    }
    for (int m = 0; m < 4; ++m) {
        bars->SetItem(0, m, kRead[m]);
        bars->SetItem(1, m, kBought[m]);
        gradient->SetItem(0, m, kRead[m] + kBought[m] > 100 ? 100 : kRead[m] + kBought[m]);
        line->SetItem(0, m, kRead[m]);
        line->SetItem(1, m, kBought[m]);
    }
    auto* pie = new GL_PieChart(page, "pie", 24 + w, 24 + h, w, h, 70, 0, 0);
    // Charts draw with the window's font: a small one leaves room for the data.
    static GL_Font* small = NC_NewFont("", 14, 0, 0);
    for (GL_Window* chart : {(GL_Window*)bars, (GL_Window*)gradient, (GL_Window*)line, (GL_Window*)pie})
        chart->SetFont(small);
    pie->AddItem(5, black, (char*)"novels");
    pie->AddItem(3, grey, (char*)"essays");
    pie->AddItem(2, NewColor(220, 220, 220, 255), (char*)"poems");
}

} // namespace

GALLERY_SCREEN("e-charts", "Charts", Build);
