#pragma once
// The program's own pictures, kept in the Qt resource file of res/ and found
// by resource id: icons and toolbar images (a toolbar image carries its
// command's id) as ":/icons/icon_<id>", other pictures as
// ":/bitmaps/bitmap_<id>", each a PNG or an SVG file. The loaders register
// the resources on first use, so callers need no set-up of their own.

#include <QIcon>
#include <QPixmap>

// Registers the resource file with Qt; once is enough, more calls do nothing.
// Resources linked from a static library are not registered on their own.
void KvInitResources();

// The icon of resource id `id`; a null icon when there is none or it cannot
// be drawn (an SVG needs Qt's SVG plugins).
QIcon KvResourceIcon(int id);

// The picture of resource id `id` at its own size; a null pixmap when there
// is none or it cannot be read.
QPixmap KvResourceBitmap(int id);
