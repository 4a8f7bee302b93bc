#include <egui.h>

// Charts draw values that the program adds; they take no input (picture: e-charts).
void BuildCharts(GL_Window* page) {
    static char days[][4] = {"Mon", "Tue", "Wed"};
    static char pages[] = "Pages read";
    // margin 30, values 0..100 with a grid line every 20, plain bars.
    auto* bars = new GL_BarChart(page, "week", 10, 10, 300, 200, 30, 0, 100, 20, 1, 0);
    for (char* day : days)
        bars->AddCategory(day);
    bars->AddSerie(pages, NewColor(60, 60, 60, 0));
    bars->SetItem(0, 0, 35);
    bars->SetItem(0, 1, 80);
    bars->SetItem(0, 2, 55);

    static char read[] = "Read", unread[] = "Unread";
    auto* pie = new GL_PieChart(page, "books", 320, 10, 260, 200, 70, 0, 0);
    pie->AddItem(12, NewColor(40, 40, 40, 0), read);
    pie->AddItem(30, NewColor(200, 200, 200, 0), unread);
}
