#pragma once
// The wheel on the canvas: drawn at start and after each save of the names, taken down at the end.

namespace kelvra {

// Builds the wheel on the canvas of the wheel page: plate, pointer, hub and the ten prize names
// turned into their sectors. A second call adds a complete new set over the old one, its pointer
// at the old one's angle.
void DrawWheel();
// Turns the pointer through every sector and back, unseen: the canvas keeps each turned picture,
// so that the first spin after the wheel was made again at a larger scale (full screen) keeps to
// its schedule instead of making them on its way.
void PrepareTurns();
// The main window is being destroyed: the plate and the pointer leave the canvas.
void OnMainWindowDestroyed();

}  // namespace kelvra
