// The bench's reading of a mouse rectangle list, on arbitrary records ended by a list end
// (the reader goes by the list, not by its size): what it places comes from the list.
#include "gauge_host.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::size_t count = size / sizeof(mouse_rect);
    std::vector<mouse_rect> list(count + 1);
    if (count != 0)
        std::memcpy(list.data(), data, count * sizeof(mouse_rect));
    list[count] = {.rect_kind = rect_list_end};
    std::string error;
    std::vector<bench::placed_rect> placed = bench::read_mouse_list(list.data(), error);
    if (placed.size() > list.size())
        std::abort();
    for (const bench::placed_rect &rect : placed)
        if (rect.rect < list.data() || rect.rect >= list.data() + list.size() || rect.depth < 0)
            std::abort();
    return 0;
}
