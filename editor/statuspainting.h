// Painting of the dashboard's upper half: the header (monogram, title, auto-tune link
// status), the spectrum card with its 32 bars, and the song card.
#pragma once

#include "editor/dashboardmodel.h"
#include "editor/painter.h"

namespace VSTGUI {
class CBitmap;
}

namespace cadora {

void paintHeader (Painter& painter, bool logoHover, bool linkConnected);
void paintSpectrum (Painter& painter, const SpectrumBars& bars);
// logo: the player's image, or null for the "♪" sign.
void paintSongCard (Painter& painter, const SongCard& card, VSTGUI::CBitmap* logo);

} // namespace cadora
