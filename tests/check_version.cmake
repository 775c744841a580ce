# Checks the version resource of the Windows module MODULE as windres reads it back: the
# decompiled block names VERSION as file and product version, and its bytes are the ones
# gauge_version_bytes writes into the resource table of the other builds.
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/version_resource.cmake)

get_filename_component(name ${MODULE} NAME_WE)
get_filename_component(suffix ${MODULE} EXT)
gauge_version_numbers(${VERSION} numbers)
string(REPLACE ";" ", " commas "${numbers}")

execute_process(COMMAND ${WINDRES} -i ${MODULE} -O rc OUTPUT_VARIABLE rc RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "windres cannot read the resources of ${MODULE}")
endif()
foreach(expected "FILEVERSION ${commas}" "PRODUCTVERSION ${commas}" "VALUE \"FileVersion\", \"${VERSION}\""
                 "VALUE \"ProductVersion\", \"${VERSION}\"")
    string(FIND "${rc}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${MODULE}: the version resource lacks ${expected}")
    endif()
endforeach()

# The compiled resources, one entry after another: data size, header size, type and name
# (0xFFFF and a number), more header, then the data, each entry from a 4-byte boundary.
set(res ${CMAKE_CURRENT_BINARY_DIR}/${name}_version_check.res)
execute_process(COMMAND ${WINDRES} -i ${MODULE} -O res -o ${res} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "windres cannot write the resources of ${MODULE}")
endif()
file(READ ${res} bytes HEX)
file(REMOVE ${res})

# The `size`-byte little-endian number at byte `offset` (an expression) of the hexadecimal text.
function(little_endian hex offset size out_value)
    set(value 0)
    math(EXPR last "${size} - 1")
    foreach(index RANGE ${last})
        math(EXPR digit "(${offset} + ${index}) * 2")
        string(SUBSTRING "${hex}" ${digit} 2 byte)
        math(EXPR value "${value} | (0x${byte} << (8 * ${index}))")
    endforeach()
    set(${out_value} ${value} PARENT_SCOPE)
endfunction()

string(LENGTH "${bytes}" digits)
math(EXPR total "${digits} / 2")
set(offset 0)
set(found "")
while(offset LESS total)
    little_endian("${bytes}" ${offset} 4 data_size)
    little_endian("${bytes}" "${offset} + 4" 4 header_size)
    little_endian("${bytes}" "${offset} + 8" 2 type_marker)
    little_endian("${bytes}" "${offset} + 10" 2 type)
    little_endian("${bytes}" "${offset} + 12" 2 name_marker)
    little_endian("${bytes}" "${offset} + 14" 2 id)
    if(type_marker EQUAL 0xFFFF AND type EQUAL 16 AND name_marker EQUAL 0xFFFF AND id EQUAL 1)
        math(EXPR start "(${offset} + ${header_size}) * 2")
        math(EXPR length "${data_size} * 2")
        string(SUBSTRING "${bytes}" ${start} ${length} found)
    endif()
    math(EXPR offset "(${offset} + ${header_size} + ${data_size} + 3) / 4 * 4")
endwhile()
if(found STREQUAL "")
    message(FATAL_ERROR "${MODULE} has no version resource 1")
endif()

gauge_version_bytes(${name} ${suffix} ${VERSION} expected)
if(NOT found STREQUAL expected)
    message(FATAL_ERROR "${MODULE}: the version resource differs from the one the other builds embed\n"
                        "module:   ${found}\nembedded: ${expected}")
endif()
message(STATUS "${MODULE} carries version ${VERSION}")
