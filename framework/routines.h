// The generic gauge routines. Version 610 gauges name their header and mouse list;
// the version 700 routines find the top element through Linkage at every call.
#pragma once

#include "services.h"

// Where a routine finds its top element.
template <gauge_header &gauge> element_header *header_top() { return gauge.element_list[0]; }
inline element_header *linked_top() { return Linkage.gauge_headers[0]->element_list[0]; }

template <auto top> void *GAUGE_CALL gauge_query() { return element_list_query(top()); }
template <auto top> void GAUGE_CALL gauge_initialize() { element_list_initialize(top()); }
template <auto top> void GAUGE_CALL gauge_update() { element_list_update(top()); }
template <auto top> void GAUGE_CALL gauge_generate(std::uint32_t phase) {
    element_list_generate(top(), phase);
}
template <auto top> void GAUGE_CALL gauge_draw() { element_list_draw(top()); }

// Version 610: the mouse list follows the element tree in, and leaves before it.
template <gauge_header &gauge, auto &mouse_list> void GAUGE_CALL gauge_install(void *instance) {
    element_header *top = header_top<gauge>();
    element_list_install(top, instance);
    auto *host_record = static_cast<unsigned char *>(reinterpret_cast<static_image *>(top)->host_image);
    mouse_list_install(mouse_list, &gauge, reinterpret_cast<std::uint32_t *>(host_record + 4));
    mouse_list_register(mouse_list, &gauge);
}
template <gauge_header &gauge, auto &mouse_list> void GAUGE_CALL gauge_kill() {
    mouse_list_unregister(mouse_list, &gauge);
    element_list_kill(header_top<gauge>());
}

// Version 700: the host takes the mouse list from the header.
inline void GAUGE_CALL gauge700_install(void *instance) { element_list_install(linked_top(), instance); }
inline void GAUGE_CALL gauge700_kill() { element_list_kill(linked_top()); }

// Shows or hides an element by its hidden bit alone: every other image flag stays as it was.
inline void set_hidden(element_header &element, bool hidden) {
    if (hidden)
        element.image_flags |= image_hidden;
    else
        element.image_flags &= ~image_hidden;
}

// module_init and module_deinit of every module, all empty: a module names one function as
// both, or the two separate ones.
void GAUGE_CALL module_no_work();
void GAUGE_CALL module_init_no_work();
void GAUGE_CALL module_deinit_no_work();

// A version 610 header's seven routines, query_routine to kill_routine, as the generic
// bodies for `gauge` and its mouse list, in the header's designated initialiser.
#define GENERIC_ROUTINES_610(gauge, mouse_list)                                                                        \
    .query_routine = gauge_query<header_top<gauge>>, .install_routine = gauge_install<gauge, mouse_list>,             \
    .initialize_routine = gauge_initialize<header_top<gauge>>, .update_routine = gauge_update<header_top<gauge>>,   \
    .generate_routine = gauge_generate<header_top<gauge>>, .draw_routine = gauge_draw<header_top<gauge>>,           \
    .kill_routine = gauge_kill<gauge, mouse_list>

// The same for a version 700 header, whose routines find their element through Linkage.
#define GENERIC_ROUTINES_700                                                                                          \
    .query_routine = gauge_query<linked_top>, .install_routine = gauge700_install,                                    \
    .initialize_routine = gauge_initialize<linked_top>, .update_routine = gauge_update<linked_top>,                   \
    .generate_routine = gauge_generate<linked_top>, .draw_routine = gauge_draw<linked_top>,                           \
    .kill_routine = gauge700_kill

// The linkage record of a gauge module: its one gauge and its two module functions.
constexpr module_linkage gauge_linkage(gauge_header &gauge, module_routine init, module_routine deinit) {
    return {.module_id = gauge_module_id, .module_init = init, .module_deinit = deinit,
            .gauge_headers = {&gauge, nullptr}};
}
