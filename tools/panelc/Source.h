// Reading a layout source into a Layout.
//
// A source is a list of statements. A statement begins with a word in the
// first column of a line and runs on over the following lines that begin
// with blanks (and over lines inside brackets):
//
//     leading 1                        # the value before the resource record
//     masks 0 0 0 0 0 7 0 0 0 0        # resource masks of units 0 to 9
//     size 239 149                     # panel width and height
//     title "DC SUPPLY"
//     label box=8,6,60,11 text="POWER" font={face="Tahoma" height=-9 weight=700}
//
// Control statements name the kind, then fields as name=value in any order;
// fields not given take the kind's constructor defaults. The record's
// rectangle is written rect=left,top,right,bottom or box=x,y,width,height.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "Layout.h"

namespace panelc {

// Reads a source; files named by blob fields are looked up relative to
// baseDir. Throws SourceError with the line of the mistake.
Layout ParseLayout(std::string_view source, const std::filesystem::path& baseDir);

// A field's constructor default.
Value DefaultValue(const FieldSpec& field);
// The constructor defaults of every field of a structure.
std::vector<Value> DefaultFields(const StructSpec& spec);

} // namespace panelc
