#include "editor_cursors_win.h"

#include <array>
#include <map>

#include "editor_res.h"
#include "module_win.h"

namespace vistlib {
namespace {

// 32x32 pictures: '#' black, '.' white, anything else transparent. The first
// character of the first row that is '@' (black) marks the hot spot.
using Picture = std::array<const char*, 20>;

const Picture kMagnifierPlus = {
    "    ######          ", "  ##......##        ", " #..........#       ",
    " #....##....#       ", "#.....##.....#      ", "#.....##.....#      ",
    "#..########..#      ", "#..########..#      ", "#.....##.....#      ",
    "#.....##.....#      ", " #....##....#       ", " #..........#       ",
    "  ##......####      ", "    ######.###      ", "          #.###     ",
    "           #.###    ", "            #.###   ", "             #.#    ",
    "              #     ", "                    "};
const Picture kMagnifierMinus = {
    "    ######          ", "  ##......##        ", " #..........#       ",
    " #..........#       ", "#............#      ", "#............#      ",
    "#..########..#      ", "#..########..#      ", "#............#      ",
    "#............#      ", " #..........#       ", " #..........#       ",
    "  ##......####      ", "    ######.###      ", "          #.###     ",
    "           #.###    ", "            #.###   ", "             #.#    ",
    "              #     ", "                    "};
const Picture kMagic = {
    "@                   ", "##                  ", "#.#                 ",
    "#..#                ", "#...#               ", "#....#              ",
    "#.....#             ", "#......#            ", "#.......#           ",
    "#....#####          ", "#..#.#              ", "#.# #.#  ########## ",
    "##  #.#  #........# ", "     #.# #.######.# ",
    "     ### #.#    #.# ", "         #.######.# ", "         #........# ",
    "         ########## ", "                    ", "                    "};
const Picture kCross = {
    "         #          ", "         #          ", "         #          ",
    "         #          ", "         #          ", "         #          ",
    "                    ", "                    ", "                    ",
    "######       ###### ", "                    ", "                    ",
    "                    ", "         #          ", "         #          ",
    "         #          ", "         #          ", "         #          ",
    "         #          ", "                    "};

HCURSOR Draw(const Picture& picture, int hotX, int hotY) {
  // AND mask 1 = keep the screen; XOR 1 = white where AND is 0.
  std::array<BYTE, 128> andMask;
  std::array<BYTE, 128> xorMask{};
  andMask.fill(0xFF);
  for (int y = 0; y < static_cast<int>(picture.size()); ++y) {
    for (int x = 0; picture[y][x] != '\0' && x < 32; ++x) {
      const char c = picture[y][x];
      if (c != '#' && c != '.' && c != '@') continue;
      const int byte = y * 4 + x / 8;
      const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
      andMask[byte] &= static_cast<BYTE>(~bit);
      if (c == '.') xorMask[byte] |= bit;
    }
  }
  return CreateCursor(ModuleInstance(), hotX, hotY, 32, 32, andMask.data(), xorMask.data());
}

}  // namespace

HCURSOR EditorCursor(int id) {
  static std::map<int, HCURSOR> cursors;
  auto found = cursors.find(id);
  if (found != cursors.end()) return found->second;
  HCURSOR cursor = nullptr;
  switch (id) {
    case ID_CURSORZOOMIN: cursor = Draw(kMagnifierPlus, 6, 6); break;
    case ID_CURSORZOOMOUT: cursor = Draw(kMagnifierMinus, 6, 6); break;
    case ID_CURSORMAGIC: cursor = Draw(kMagic, 0, 0); break;
    case ID_CURSORCROSS: cursor = Draw(kCross, 9, 10); break;
    default: break;
  }
  if (cursor == nullptr) return LoadCursor(nullptr, IDC_ARROW);
  cursors[id] = cursor;
  return cursor;
}

}  // namespace vistlib
