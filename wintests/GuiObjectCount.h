#ifndef QUENCHBOX_WINTESTS_GUIOBJECTCOUNT_H
#define QUENCHBOX_WINTESTS_GUIOBJECTCOUNT_H

namespace wintest {

// GDI objects (bitmaps, DCs, fonts, ...) alive in this process.
int gdiObjectCount();
// USER objects alive in this process; the widgets create only windows.
int userObjectCount();

}  // namespace wintest

#endif
