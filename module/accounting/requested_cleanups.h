// Cleanups the user asks for (the panel's buttons, the script's "clear"): each frees one
// kind of host data and tells the host, which passes the memory bit back to the update
// cycle. None of them runs the update cycle itself.
#pragma once

namespace kestrum {

// Every image level, 15 down to 5, whatever each releases; then update and redraw.
void Clear_Images();
// Empties the host's undo history; then an update without redraw.
void Clear_Undo();
// Frees the 3-D geometry and the tags; then update and redraw.
void Clear_Geometry();

}  // namespace kestrum
