#include <egui.h>

// A paged list: a navigation window with a title bar and items of an icon
// and text columns; the page keys turn the pages (picture: f-library).
void BuildLibrary(GL_Window* page) {
    auto* nav = new GL_NavigateWindow(page, "Library", 6); // 6 items a page
    nav->MoveResizeWindow(0, 0, page->GetWidth(), page->GetHeight(), 0);
    nav->AppendItem(new GL_NavigateItem(nav, 2, "/Kora/res/ebookmark.jpg", "Moby-Dick", "Herman Melville", nullptr,
                                        nullptr, 0, 0, 10, 10, 0));
    nav->AppendItem(
        new GL_NavigateItem(nav, 2, "/Kora/res/folder.jpg", "Poetry", "12 books", nullptr, nullptr, 0, 0, 10, 10, 0));
    nav->SetCurrItemNum(0);
}
