# Writes OUTPUT, a C++ source holding the files of DIRECTORY as bench::web_files, each under
# its name ("/index.html") with its content type. Run with cmake -P at build time.
file(GLOB files RELATIVE ${DIRECTORY} ${DIRECTORY}/*)
list(SORT files)
set(arrays "")
set(table "")
set(index 0)
foreach(name IN LISTS files)
    file(READ ${DIRECTORY}/${name} content HEX)
    string(LENGTH "${content}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
    get_filename_component(extension ${name} LAST_EXT)
    if(extension STREQUAL ".html")
        set(type "text/html; charset=utf-8")
    elseif(extension STREQUAL ".css")
        set(type "text/css; charset=utf-8")
    elseif(extension STREQUAL ".js")
        set(type "text/javascript; charset=utf-8")
    else()
        message(FATAL_ERROR "${name}: no content type for files ending in ${extension}")
    endif()
    string(APPEND arrays "const unsigned char file_${index}[] = {\n${bytes}};\n")
    string(APPEND table "    {\"/${name}\", \"${type}\", file_${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Made by cmake/embed_web.cmake from ${DIRECTORY}; not to be edited.
#include \"serve.h\"

namespace bench {
namespace {
${arrays}} // namespace

const web_file web_files[] = {
${table}};
const std::size_t web_file_count = ${index};

} // namespace bench
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
