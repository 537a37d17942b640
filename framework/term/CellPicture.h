// A small picture in terminal cells, as a static icon control shows one: each cell holds two
// pixels, its upper and its lower half, drawn with the half-block characters in the pixels'
// colours.
#pragma once

struct CellPicture {
    int columns = 0;
    int rows = 0;
    // columns x (2 x rows) pixels, top row first: an index into the 16 colours of Windows' standard
    // palette (0 black ... 15 white), or -1 for transparent.
    const signed char* pixels = nullptr;
};
