#pragma once
// The program's resources as the layer looks them up: the string table and icons by number.
#include <map>
#include <string>

void SetStringTable(std::map<int, std::string> strings);
// path: a Qt resource path (":/...") or a file path of an SVG or PNG image.
void SetIconResource(int id, std::string path);
