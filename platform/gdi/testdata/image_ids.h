// Ids shared by images.rc and the image loading tests.
#ifndef GDI_IMAGE_IDS_H
#define GDI_IMAGE_IDS_H

#define IDB_GREY8 1
#define IDI_TINY 2

#endif
