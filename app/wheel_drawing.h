#pragma once

namespace kelvra {

// Builds the wheel on the canvas of the wheel page: plate, pointer, hub and the ten prize names
// turned into their sectors. A second call adds a complete new set over the old one.
void DrawWheel();
// The main window is being destroyed: the plate and the pointer leave the canvas.
void OnMainWindowDestroyed();

}  // namespace kelvra
