// The panel service table as the modules call it: one function type and byte offset per
// service, and a call helper that reads the table from ImportTable at every call.
#pragma once

#include "gauge.h"

#include <cstring>

// Byte offsets into the service table, as laid out for 4-byte function pointers.
enum panel_service_offset : std::uint32_t {
    offset_element_refresh = 0x44,
    offset_element_list_query = 0x60,
    offset_element_list_install = 0x64,
    offset_element_list_initialize = 0x68,
    offset_element_list_update = 0x6C,
    offset_element_list_generate = 0x70,
    offset_element_list_draw = 0x74,
    offset_element_list_kill = 0x7C,
    offset_mouse_list_install = 0x80,
    offset_mouse_list_register = 0x84,
    offset_mouse_list_unregister = 0x88,
    offset_panel_window_toggle = 0x8C,
    offset_key_event_trigger = 0x90,
    offset_named_variable_register = 0x94,
    offset_module_variable_initialize = 0x98,
    offset_module_variable_lookup = 0xA0,
    offset_named_variables_unregister = 0xA8,
};

// The slot a byte offset names: the table holds one function pointer per 4 bytes of offset
// on the 32-bit host, and the same sequence of slots on a 64-bit bench.
constexpr std::size_t service_slot(std::uint32_t offset) { return offset / 4; }

using element_refresh_fn = void(GAUGE_CALL *)(element_header *element);
using element_list_query_fn = void *(GAUGE_CALL *)(element_header *top);
using element_list_install_fn = void(GAUGE_CALL *)(element_header *top, void *instance);
using element_list_call_fn = void(GAUGE_CALL *)(element_header *top);
using element_list_generate_fn = void(GAUGE_CALL *)(element_header *top, std::uint32_t phase);
using mouse_list_install_fn = void(GAUGE_CALL *)(mouse_rect *list, gauge_header *gauge,
                                                 std::uint32_t *host_word);
using mouse_list_call_fn = void(GAUGE_CALL *)(mouse_rect *list, gauge_header *gauge);
using panel_window_toggle_fn = std::uint32_t(GAUGE_CALL *)(std::uint32_t window_id);
using key_event_trigger_fn = void(GAUGE_CALL *)(std::uint32_t event_id, std::uint32_t value);
using named_variable_register_fn = void(GAUGE_CALL *)(void *storage, std::uint32_t type_code,
                                                      const char *name);
using module_variable_call_fn = void(GAUGE_CALL *)(module_variable *variable);
using named_variables_unregister_fn = void(GAUGE_CALL *)();

// Calls the service at `offset`, reading import_pointer of the panel-service entry afresh.
template <typename Function, typename... Arguments>
inline auto call_panel_service(std::uint32_t offset, Arguments... arguments) {
    auto *table = static_cast<const unsigned char *>(ImportTable.entries[0].import_pointer);
    Function function;
    std::memcpy(&function, table + service_slot(offset) * sizeof(Function), sizeof function);
    return function(arguments...);
}

inline void element_refresh(element_header *element) {
    call_panel_service<element_refresh_fn>(offset_element_refresh, element);
}
inline void *element_list_query(element_header *top) {
    return call_panel_service<element_list_query_fn>(offset_element_list_query, top);
}
inline void element_list_install(element_header *top, void *instance) {
    call_panel_service<element_list_install_fn>(offset_element_list_install, top, instance);
}
inline void element_list_initialize(element_header *top) {
    call_panel_service<element_list_call_fn>(offset_element_list_initialize, top);
}
inline void element_list_update(element_header *top) {
    call_panel_service<element_list_call_fn>(offset_element_list_update, top);
}
inline void element_list_generate(element_header *top, std::uint32_t phase) {
    call_panel_service<element_list_generate_fn>(offset_element_list_generate, top, phase);
}
inline void element_list_draw(element_header *top) {
    call_panel_service<element_list_call_fn>(offset_element_list_draw, top);
}
inline void element_list_kill(element_header *top) {
    call_panel_service<element_list_call_fn>(offset_element_list_kill, top);
}
inline void mouse_list_install(mouse_rect *list, gauge_header *gauge, std::uint32_t *host_word) {
    call_panel_service<mouse_list_install_fn>(offset_mouse_list_install, list, gauge, host_word);
}
inline void mouse_list_register(mouse_rect *list, gauge_header *gauge) {
    call_panel_service<mouse_list_call_fn>(offset_mouse_list_register, list, gauge);
}
inline void mouse_list_unregister(mouse_rect *list, gauge_header *gauge) {
    call_panel_service<mouse_list_call_fn>(offset_mouse_list_unregister, list, gauge);
}
inline std::uint32_t panel_window_toggle(std::uint32_t window_id) {
    return call_panel_service<panel_window_toggle_fn>(offset_panel_window_toggle, window_id);
}
inline void key_event_trigger(std::uint32_t event_id, std::uint32_t value) {
    call_panel_service<key_event_trigger_fn>(offset_key_event_trigger, event_id, value);
}
inline void named_variable_register(void *storage, std::uint32_t type_code, const char *name) {
    call_panel_service<named_variable_register_fn>(offset_named_variable_register, storage,
                                                   type_code, name);
}
inline void module_variable_initialize(module_variable *variable) {
    call_panel_service<module_variable_call_fn>(offset_module_variable_initialize, variable);
}
inline void module_variable_lookup(module_variable *variable) {
    call_panel_service<module_variable_call_fn>(offset_module_variable_lookup, variable);
}
inline void named_variables_unregister() {
    call_panel_service<named_variables_unregister_fn>(offset_named_variables_unregister);
}
