// Contact sheets for looking at a deliverable's pictures: every picture on its own, then
// the scenes that place them as the host does, all enlarged, written as PNG.
#pragma once

#include "resources.h"

#include <filesystem>

void write_preview(const resource_directory& directory, const std::filesystem::path& sheet_file);
