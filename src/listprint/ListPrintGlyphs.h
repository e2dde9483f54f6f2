// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QIcon>
#include <QString>

/**
 * The print toolbar's glyphs by their resource names ("LPKTB_01" next page,
 * "02" previous page, "03" settings, "04" printer, "05" back, "06" output,
 * "07" worksheet, "08" rebuild, "09" help, "10" zoom, "11" PDF file), drawn
 * in code so they stay sharp at every scale.
 */
namespace ListPrintGlyphs {

/// The glyph as an icon with pixmaps from 16 to 48 pixels; a null icon for an unknown name.
QIcon Icon(const QString &name);

} // namespace ListPrintGlyphs
