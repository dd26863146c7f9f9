// Everything the game writes, as CP932 bytes beside the readable text.
#pragma once

#include "console/cp932_text.h"

// The board.
inline constexpr Cp932Text IdeographicSpace{"\x81\x40", "　"};
inline constexpr Cp932Text BorderGlyph{"\x81\xA1", "■"};
inline constexpr Cp932Text EmptyGlyph{"\x81\x45", "・"};
inline constexpr Cp932Text BlackGlyph{"\x81\x9C", "●"};
inline constexpr Cp932Text WhiteGlyph{"\x81\x9B", "○"};
inline constexpr Cp932Text BlackCountLead{"\x81\x40\x81\x9C", "　●"};
inline constexpr Cp932Text WhiteCountLead{"\x81\x40\x81\x9B", "　○"};
inline constexpr Cp932Text CountTail{"\x8C\xC2\x81\x40", "個　"};
inline constexpr Cp932Text BlackToMove{"\x81\x9C\x82\xCC\x94\xD4\x82\xC5\x82\xB7", "●の番です"};
inline constexpr Cp932Text WhiteToMove{"\x81\x9B\x82\xCC\x94\xD4\x82\xC5\x82\xB7", "○の番です"};

// The players.
inline constexpr Cp932Text MovePrompt{
    "\x82\xC7\x82\xB1\x82\xC9\x92\x75\x82\xAB\x82\xDC\x82\xB7\x82\xA9 [nn] ? ", "どこに置きますか [nn] ? "};
inline constexpr Cp932Text ComputerPlaces{" \x82\xC9\x92\x75\x82\xAB\x82\xDC\x82\xB7", " に置きます"};

// The game loop.
inline constexpr Cp932Text PlayerQuestion{
    "\x83\x76\x83\x8C\x83\x43\x82\xB7\x82\xE9\x82\xCC\x82\xCD\x90\x6C(M)\x82\xC5\x82\xB7\x82\xA9"
    "\x83\x52\x83\x93\x83\x73\x83\x85\x81\x5B\x83\x5E(C)\x82\xC5\x82\xB7\x82\xA9",
    "プレイするのは人(M)ですかコンピュータ(C)ですか"};
inline constexpr Cp932Text KindPrompt{"\x82\xCD\x82\xC7\x82\xC1\x82\xBF [M/C] ? ", "はどっち [M/C] ? "};
inline constexpr Cp932Text PassMessage{
    "\x82\xC7\x82\xB1\x82\xC9\x82\xE0\x92\x75\x82\xAF\x82\xDC\x82\xB9\x82\xF1", "どこにも置けません"};
inline constexpr Cp932Text DrawResult{"\x88\xF8\x82\xAB\x95\xAA\x82\xAF", "引き分け"};
inline constexpr Cp932Text BlackWins{"\x81\x9C\x82\xCC\x8F\x9F\x82\xBF", "●の勝ち"};
inline constexpr Cp932Text WhiteWins{"\x81\x9B\x82\xCC\x8F\x9F\x82\xBF", "○の勝ち"};
inline constexpr Cp932Text PlayAgainPrompt{
    "\x82\xE0\x82\xA4\x82\x50\x93\x78\x82\xB5\x82\xDC\x82\xB7\x82\xA9 [y/n] ? ", "もう１度しますか [y/n] ? "};

inline constexpr const Cp932Text* GameTexts[] = {
    &IdeographicSpace, &BorderGlyph, &EmptyGlyph, &BlackGlyph, &WhiteGlyph, &BlackCountLead,
    &WhiteCountLead, &CountTail, &BlackToMove, &WhiteToMove, &MovePrompt, &ComputerPlaces,
    &PlayerQuestion, &KindPrompt, &PassMessage, &DrawResult, &BlackWins, &WhiteWins, &PlayAgainPrompt,
};
