// The board on the screen: column digits, labelled rows, counts and turn.
#pragma once

// Writes the whole board, border included, with the counts and whose
// turn it is. Every piece is its own statement, so a console shows the
// drawing as it goes.
void DrawBoard();
