#include "game/draw.h"

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
    EndLine();

    WriteMargin();
    for (std::int32_t column = 0; column <= 9; ++column) {
        WriteNumber(ConsoleOutput, column, 2);
        EndStatement();
    }
    EndLine();

    for (std::int32_t row = 0; row < BoardSize; row += 10) {
        WriteNumber(ConsoleOutput, row, LabelWidth);
        WriteText(ConsoleOutput, IdeographicSpace, 0);
        EndStatement();
        for (std::int32_t k = row; k < row + 10; ++k) {
            WriteText(ConsoleOutput, std::string_view(Glyphs[Board[k]], GlyphSize), 0);
            EndStatement();
        }
        EndLine();
    }

    WriteMargin();
    WriteCount(BlackCountLead, Black);
    WriteCount(WhiteCountLead, White);
    EndLine();

    WriteText(ConsoleOutput, SideToMove == Black ? BlackToMove : WhiteToMove, 0);
    EndLine();
}
