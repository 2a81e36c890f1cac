#pragma once
// The program's resources as the layer looks them up: the string table and icons by number.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

void SetStringTable(std::map<int, std::string> strings);
// path: a Qt resource path (":/...") or a file path of an SVG or PNG image.
void SetIconResource(int id, std::string path);

// One square rendering of an icon: size × size pixels, premultiplied ARGB (0xAARRGGBB), rows top
// down. The pixels stay the caller's, for the program's life.
struct IconImage {
    int size = 0;
    const std::uint32_t* pixels = nullptr;
};
// An icon compiled into the program as renderings of several sizes: no file is read for it.
void SetIconImages(int id, std::vector<IconImage> images);
