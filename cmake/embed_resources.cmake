# Script mode: writes a C++ source holding the listed resources as an exported ResourceTable.
# A BITMAP is stored without its 14-byte file header, as the Windows resource compiler does.
# With VERSION (and NAME, SUFFIX: the module's Windows file name) the table also holds the
# version resource, RT_VERSION 1, in the bytes the resource compiler makes of it.

set(declarations "")
set(entries "")
set(index 0)

# Adds one resource, given as hexadecimal text, with the entry's type fields and id.
macro(add_resource type_fields id bytes)
    string(LENGTH "${bytes}" hex_length)
    math(EXPR size "${hex_length} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," listed "${bytes}")
    string(APPEND declarations "alignas(4) const unsigned char resource_${index}[] = {${listed}};\n")
    string(APPEND entries "    {${type_fields}, ${id}, resource_${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
endmacro()

foreach(type id file IN ZIP_LISTS TYPES IDS FILES)
    if(type STREQUAL "BITMAP")
        file(READ ${file} head HEX LIMIT 2)
        if(NOT head STREQUAL "424d")
            message(FATAL_ERROR "${file}: not a BMP file")
        endif()
        file(READ ${file} bytes HEX OFFSET 14)
        set(type_fields "2, nullptr")
    else()
        file(READ ${file} bytes HEX)
        set(type_fields "0, \"${type}\"")
    endif()
    add_resource("${type_fields}" ${id} "${bytes}")
endforeach()

if(VERSION)
    include(${CMAKE_CURRENT_LIST_DIR}/version_resource.cmake)
    gauge_version_bytes(${NAME} ${SUFFIX} ${VERSION} bytes)
    add_resource("16, nullptr" 1 "${bytes}")
endif()

if(index EQUAL 0)
    set(table "extern \"C\" __attribute__((visibility(\"default\"))) const resource_table ResourceTable = {0, nullptr};\n")
else()
    set(table "const resource_entry entries[] = {\n${entries}};\n} // namespace\n\nextern \"C\" __attribute__((visibility(\"default\"))) const resource_table ResourceTable = {${index}, entries};\n")
    set(declarations "namespace {\n${declarations}")
endif()

file(WRITE ${OUTPUT}.new "// Generated from the module's resource manifest.\n#include \"resources.h\"\n\n${declarations}${table}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
