#include <egui.h>

// Image widgets show a file (GIF, JPEG, PNG, BMP, XPM; GIF animations play),
// a built-in image or a name registered in pRootImageList (picture: c-images).
void BuildImages(GL_Window* page) {
    static char cover[] = "/mnt/us/books/cover.jpg";
    static char folder[] = "/Kora/res/folder.jpg"; // built in: no file is read
    static char logoName[] = "logo", logoPath[] = "/mnt/us/res/logo.png";

    auto* picture = new GL_Image(page, "cover", 10, 10, 160, 120, 0);
    picture->SetImageFile(cover, 0);
    auto* icon = new GL_Image(page, "folder", 180, 10, 48, 48, 0);
    icon->SetImageFile(folder, 0);

    // Loaded once, shown by name wherever it is needed; the list owns it.
    if (pRootImageList->AddImageFile(logoName, logoPath)) {
        auto* logo = new GL_Image(page, "logo", 240, 10, 100, 40, 0);
        logo->SetImageFile(logoName, 0);
    }
}

// Drawing an image item inside a Draw: a copy through its mask (if any).
void DrawItem(unsigned long pix, GL_ImageListItem* item, int x, int y) {
    if (item && item->IsGood())
        GL_CopyAreaP2P(item->GetPixmapId(), pix, item->GetMaskId(), 0, 0, item->width, item->height, x, y);
}
