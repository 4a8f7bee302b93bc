// Charts: grouped bars, lines and pies drawn from values the program adds.
// They take no input; each Draw paints the whole chart off-screen and shows
// it with one copy. Text is drawn in iBlackS with the window's font, which
// is the default font unless the program set another (SetFont).
//
// Degenerate data draws a defined, smaller picture instead of dividing by
// zero: a plot area of no width or height draws the background only; a grid
// step wider than the range (no grid cells) or one so fine that the cells
// would be less than a pixel apart draws the base line alone, at the bottom
// of the plot; bars and points take value / max of the plot height, clamped
// to the plot (a maximum of 0 or below puts them all on the base line);
// items with non-finite values are not drawn; the bar unit is at most 255.
#pragma once

#include "gl_color.h"
#include "gl_list.h"
#include "gl_window.h"

// One value of a bar or line chart: series, category, value.
struct GL_BarItem {
    unsigned char serie;
    unsigned char category;
    double value;
};
typedef GL_BarItem GL_LineItem;

// One slice of a pie chart; name is an owned copy, null when empty.
struct GL_PieChartItem {
    double value;
    _GL_Color color;
    char* name;
};

// New records (delete with delete; a pie item's name with delete[]), or null
// when out of memory.
GL_BarItem* GL_CreateBarItem(unsigned char serie, unsigned char category, double value);
GL_LineItem* GL_CreateLineItem(unsigned char serie, unsigned char category, double value);
GL_PieChartItem* GL_CreatePieChartItem(double value, _GL_Color color, char* name);

// The grid of a bar or line chart: `cells` grid cells of `spacing` pixels
// between the top of the plot and the base line at `base`. Pure geometry,
// shared by both charts; cells is 0 when no grid line fits.
struct GL_ChartGrid {
    int cells;
    int spacing;
    int base;
};
// The grid for values min .. max with a line every step, in a plot of
// plotHeight below a top margin.
GL_ChartGrid GL_ChartGridFor(double min, double max, double step, int margin, int plotHeight);
// Height in pixels of a bar of `value` in a plot `plotHeight` high whose top
// is max: value / max of it, clamped to 0 .. plotHeight; -1 for a value that
// is not finite (not drawn).
int GL_ChartBarHeight(double value, double max, int plotHeight);

class GL_BarChart : public GL_Window {
public:
    // margin: at least 25; min and max are swapped when reversed; mode 2 is
    // gradient bars, anything else plain; a negative step counts as its
    // absolute value and 0 as 1.
    GL_BarChart(GL_Window* parent, char const* name, unsigned long margin, double min, double max, double step,
                unsigned char mode, int style);
    GL_BarChart(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long margin, double min,
                double max, double step, unsigned char mode, int style);
    ~GL_BarChart() override;
    const char* GetClassName() override; // "GL_BarChart"
    int Draw(_GS_Region* region) override;

    // Sets everything the constructors take (they call it); returns 0.
    int Init(unsigned long margin, double min, double max, double step, unsigned char mode, int style);
    // Appends a copy of the name; -1 for an absent or empty name or past 255.
    int AddCategory(char* name);
    // Plain mode only: a series with its colour; -1 otherwise, for an absent
    // or empty name, or past 255.
    int AddSerie(char* name, _GL_Color color);
    // Gradient mode only: a series with its bottom and top colours.
    int AddSerieGradient(char* name, _GL_Color from, _GL_Color to);
    // Appends an item (a second value for the same pair is drawn as well);
    // -1 when the series or the category does not exist.
    int SetItem(unsigned char serie, unsigned char category, double value);

    double minValue, maxValue;
    double step;
    int margin;
    unsigned char seriesCount, categoryCount;
    char** seriesNames;
    _GL_Color* seriesColors;
    _GL_Color* seriesColors2;
    char** categoryNames;
    unsigned char mode;
    unsigned char barUnit;
    GL_DList items;
};

class GL_LineChart : public GL_Window {
public:
    // Arguments as GL_BarChart.
    GL_LineChart(GL_Window* parent, char const* name, unsigned long margin, double min, double max, double step,
                 unsigned char mode, int style);
    GL_LineChart(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long margin, double min,
                 double max, double step, unsigned char mode, int style);
    ~GL_LineChart() override;
    const char* GetClassName() override; // "GL_LineChart"
    int Draw(_GS_Region* region) override;

    // As GL_BarChart (a line chart has no gradient mode): categories along
    // the bottom, one line per series through its items.
    int Init(unsigned long margin, double min, double max, double step, unsigned char mode, int style);
    int AddCategory(char* name);
    int AddSerie(char* name, _GL_Color color);
    int SetItem(unsigned char serie, unsigned char category, double value);

    double minValue, maxValue;
    double step;
    int margin;
    unsigned char seriesCount, categoryCount;
    char** seriesNames;
    _GL_Color* seriesColors;
    char** categoryNames;
    unsigned char mode;
    unsigned char barUnit;
    GL_DList items;
};

class GL_PieChart : public GL_Window {
public:
    // margin: at least 70; flag is kept, drawing does not use it.
    GL_PieChart(GL_Window* parent, char const* name, unsigned long margin, unsigned char flag, int style);
    GL_PieChart(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long margin,
                unsigned char flag, int style);
    ~GL_PieChart() override;
    const char* GetClassName() override; // "GL_PieChart"
    int Draw(_GS_Region* region) override;

    // Appends a slice (the name is copied); returns 0.
    int AddItem(double value, _GL_Color color, char* name);

    int margin;
    unsigned char flag;
    GL_DList slices;
};
