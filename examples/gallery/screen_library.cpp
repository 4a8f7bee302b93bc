// A reader's library as a navigation window: a title bar with the battery
// and sound pictures, a page of framed books (an icon, the title in Chinese
// or Latin script, the author, the progress) with the focus on the second,
// and a status line with the book count and the page number.
#include "gallery.h"

#include <cstdio>

namespace {

struct Book {
    char const* icon;
    char const* title;
    char const* author;
    char const* progress;
};

Book const kBooks[] = {
    {"/Kora/res/recentceb.jpg", "红楼梦", "曹雪芹", "37%"},
    {"/Kora/res/ebookmark.jpg", "Pride and Prejudice", "Jane Austen", "82%"},
    {"/Kora/res/ebookmark.jpg", "西游记", "吴承恩", "5%"},
    {"/Kora/res/ebookmark.jpg", "Anna Karenina", "Leo Tolstoy", "—"},
    {"/Kora/res/folder.jpg", "唐诗三百首", "蘅塘退士", "100%"},
    {"/Kora/res/ebookmark.jpg", "Moby-Dick", "Herman Melville", "12%"},
    {"/Kora/res/ebookmark.jpg", "三国演义", "罗贯中", "—"},
    {"/Kora/res/ebookmark.jpg", "Don Quijote", "Miguel de Cervantes", "—"},
    {"/Kora/res/ebookmark.jpg", "水浒传", "施耐庵", "64%"},
    {"/Kora/res/ebookmark.jpg", "Faust", "J. W. von Goethe", "—"},
    {"/Kora/res/ebookmark.jpg", "聊斋志异", "蒲松龄", "—"},
    {"/Kora/res/ebookmark.jpg", "War and Peace", "Leo Tolstoy", "3%"},
    {"/Kora/res/ebookmark.jpg", "论语", "孔子", "—"},
    {"/Kora/res/ebookmark.jpg", "Hamlet", "W. Shakespeare", "—"},
};
constexpr int kPerPage = 6;

void Build(GL_Window* page) {
    auto* nav = new GL_NavigateWindow(page, "我的书库  Library", kPerPage);
    nav->MoveResizeWindow(0, 0, page->GetWidth(), page->GetHeight(), 0);
    int const count = int(sizeof kBooks / sizeof kBooks[0]);
    for (Book const& b : kBooks) {
        auto* item = new GL_NavigateItem(nav, 3, b.icon, b.title, b.author, b.progress, nullptr, 0, 0, 10, 10, 0);
        item->SetItemWidth(1, 170);
        item->SetItemWidth(2, 64);
        item->SetItemAlign(2, 2);
        item->SetItemFont(0, nav->fonts[1]);
        item->SetItemFont(1, nav->fonts[2]);
        item->SetItemFont(2, nav->fonts[2]);
        nav->AppendItem(item);
    }
    nav->SetCurrItemNum(1);
    char text[64];
    snprintf(text, sizeof text, "共 %d 本", count);
    nav->statusLeft->SetText(text);
    snprintf(text, sizeof text, "%d / %d", nav->GetCurrentPage() + 1, nav->GetPageCount());
    nav->statusMid->SetText(text);
}

} // namespace

GALLERY_SCREEN("f-library", "Library", Build);
