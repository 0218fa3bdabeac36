// The text of orvik-render --help.
#include "render.h"

namespace {

constexpr char kUsage[] =
    "Usage: orvik-render [OPTIONS] OUT.png|OUT.bmp [[OPTIONS] OUT...]\n"
    "\n"
    "Draws the map as the orvik window shows it, without any X server, and\n"
    "writes it as PNG, or as the window's 32-bit BMP when OUT ends in .bmp.\n"
    "\n"
    "  --plan DIR     folder with Mesh.csv and ExitGrid.dat (default ../in),\n"
    "                 or a .plan file, converted by plan2mesh for this call\n"
    "  --mesh FILE    the mesh file alone\n"
    "  --exits FILE   the exit file alone; colours from the walk from its exits\n"
    "  --times FILE   colours from a times CSV of orvik-check --times instead\n"
    "  --block DOOR   the plan's exits less this door's cells: its name (door=NAME,\n"
    "                 as plan2mesh writes it) or its number, as orvik-check --block\n"
    "                 takes it; repeat it to block several doors together;\n"
    "                 with --times it only marks the door closed\n"
    "  --column NAME  the CSV column with the seconds (default seconds)\n"
    "  --size WxH     the window's size in px (default 800x600)\n"
    "  --keys \"KEYS\"  keys of the program, separated by blanks, pressed in order\n"
    "                 before drawing: 8 k 2 i 6 l 4 j (pan), w W (zoom), 0 R (reset)\n"
    "  --help         this text\n"
    "\n"
    "Pictures for a report (not the window's picture):\n"
    "  --annotate          a title, the exits and blocked doors marked, a legend\n"
    "                      with a tick a minute, a scale bar; the plan fitted\n"
    "  --title TEXT        the title (default: the plan's folder name)\n"
    "  --limit SECONDS     two colours: within the limit, over it (and unreached)\n"
    "  --scale-max SECONDS where the colour scale ends (default 300)\n"
    "  --region C1,R1,C2,R2  grid columns and rows to fit, or a level's name\n"
    "  --cell-size METRES  a cell's side, for the scale bar in metres\n"
    "\n"
    "Several outputs may follow each other, each after its own options, and\n"
    "are drawn with one OpenGL context. Files, --column and --size hold for\n"
    "every later output until given again; --keys and --block hold only for\n"
    "the next output. Of --times and --exits (or --plan), the later one decides how the\n"
    "map is coloured. Cells that the times CSV does not list show as unreached.\n"
    "--annotate and its options hold for later outputs too. A blocked door is\n"
    "one whose cells the exit file of --plan lists and the drawn one does not,\n"
    "or one that --block names.\n";

}  // namespace

const char* renderUsage() { return kUsage; }
