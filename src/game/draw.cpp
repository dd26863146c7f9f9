#include "game/draw.h"

#include <algorithm>
#include <string_view>

#include "console/output.h"
#include "game/board.h"
#include "game/statements.h"
#include "game/texts.h"

namespace {

constexpr std::int32_t MarginWidth = 22;  // row label field plus the gap
constexpr std::int32_t LabelWidth = 20;

// Every cell is one full-width character: two bytes, two columns.
constexpr std::size_t GlyphSize = 2;
constexpr const char* Glyphs[] = {BorderGlyph.bytes.data(), EmptyGlyph.bytes.data(),
                                   BlackGlyph.bytes.data(), WhiteGlyph.bytes.data()};
static_assert(BorderGlyph.bytes.size() == GlyphSize && EmptyGlyph.bytes.size() == GlyphSize &&
              BlackGlyph.bytes.size() == GlyphSize && WhiteGlyph.bytes.size() == GlyphSize);

void WriteMargin()
{
    WriteText(ConsoleOutput, std::string_view{""}, MarginWidth);  // an empty text, but never a null pointer
    EndStatement();
}

// The leading empty line and the heading, piece by piece.
void WriteHeading()
{
    EndLine();
    WriteMargin();
    for (std::int32_t column = 0; column <= 9; ++column) {
        WriteNumber(ConsoleOutput, column, 2);
        EndStatement();
    }
    EndLine();
}

// A row's ten cells and its line break, piece by piece.
void WriteCells(std::int32_t row)
{
    for (std::int32_t k = row; k < row + 10; ++k) {
        WriteText(ConsoleOutput, std::string_view(Glyphs[Board[k]], GlyphSize), 0);
        EndStatement();
    }
    EndLine();
}

// Where statements do not show (a file, a pipe: only full buffers leave),
// a run of statements of one write each is indistinguishable from one
// write of the same bytes: a failure drops the rest of the write either
// way and is raised before anything more is written. The heading and each
// row's cells go out that way, which saves most of the drawing's work.
constexpr std::string_view HeadingLines =
    "\r\n                       0 1 2 3 4 5 6 7 8 9\r\n";

void WriteCellsAtOnce(std::int32_t row)
{
    char bytes[10 * GlyphSize + 2];
    char* out = bytes;
    for (std::int32_t k = row; k < row + 10; ++k, out += GlyphSize)
        std::copy_n(Glyphs[Board[k]], GlyphSize, out);
    out[0] = '\r';
    out[1] = '\n';
    WriteText(ConsoleOutput, std::string_view(bytes, sizeof bytes), 0);
    EndStatement();
}

void WriteCount(const Cp932Text& lead, Colour colour)
{
    WriteText(ConsoleOutput, lead, 0);
    WriteNumber(ConsoleOutput, DiscCount[colour], 2);
    WriteText(ConsoleOutput, CountTail, 0);
    EndStatement();
}

} // namespace

void DrawBoard()
{
    bool pieceByPiece = EachStatementIsSent(ConsoleOutput);
    if (pieceByPiece) {
        WriteHeading();
    } else {
        WriteText(ConsoleOutput, HeadingLines, 0);
        EndStatement();
    }

    for (std::int32_t row = 0; row < BoardSize; row += 10) {
        WriteNumber(ConsoleOutput, row, LabelWidth);
        WriteText(ConsoleOutput, IdeographicSpace, 0);
        EndStatement();
        if (pieceByPiece)
            WriteCells(row);
        else
            WriteCellsAtOnce(row);
    }

    WriteMargin();
    WriteCount(BlackCountLead, Black);
    WriteCount(WhiteCountLead, White);
    EndLine();

    WriteText(ConsoleOutput, SideToMove == Black ? BlackToMove : WhiteToMove, 0);
    EndLine();
}
