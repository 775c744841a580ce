# The version resource of a module: its texts, as a VERSIONINFO block for the Windows
# resource compiler, and as the VS_VERSIONINFO bytes that block compiles to, for the
# resource table of the other builds.

# Splits "a.b.c.d" into a list of four numbers, each one 16-bit word.
function(gauge_version_numbers version out_numbers)
    if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
        message(FATAL_ERROR "version ${version} is not of the form a.b.c.d")
    endif()
    set(numbers ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
    foreach(number IN LISTS numbers)
        if(number GREATER 65535)
            message(FATAL_ERROR "version ${version}: ${number} does not fit a 16-bit word")
        endif()
    endforeach()
    set(${out_numbers} ${numbers} PARENT_SCOPE)
endfunction()

# The string table of the module NAME, whose Windows file is NAME plus SUFFIX: alternating
# keys and values, in the order the resource lists them.
function(gauge_version_texts name suffix version out_texts)
    set(${out_texts}
        CompanyName "Vireo Panels"
        FileDescription "${name} gauge module"
        FileVersion ${version}
        InternalName ${name}
        OriginalFilename ${name}${suffix}
        ProductName "Vireo gauges"
        ProductVersion ${version}
        PARENT_SCOPE)
endfunction()

# US English, Windows Latin-1: the string table's key and the Translation value.
set(GAUGE_VERSION_LANGUAGE 0x0409)
set(GAUGE_VERSION_CODEPAGE 1252)
set(GAUGE_VERSION_TABLE_KEY 040904E4)

# The VERSIONINFO statement of a .rc file.
function(gauge_version_rc name suffix version out_text)
    gauge_version_numbers(${version} numbers)
    string(REPLACE ";" "," commas "${numbers}")
    gauge_version_texts(${name} ${suffix} ${version} texts)
    set(values "")
    while(texts)
        list(POP_FRONT texts key value)
        string(APPEND values "            VALUE \"${key}\", \"${value}\"\n")
    endwhile()
    set(${out_text} "1 VERSIONINFO
FILEVERSION ${commas}
PRODUCTVERSION ${commas}
FILEFLAGSMASK 0x3F
FILEFLAGS 0x0
FILEOS 0x40004
FILETYPE 0x2
FILESUBTYPE 0x0
BEGIN
    BLOCK \"StringFileInfo\"
    BEGIN
        BLOCK \"${GAUGE_VERSION_TABLE_KEY}\"
        BEGIN
${values}        END
    END
    BLOCK \"VarFileInfo\"
    BEGIN
        VALUE \"Translation\", ${GAUGE_VERSION_LANGUAGE}, ${GAUGE_VERSION_CODEPAGE}
    END
END
" PARENT_SCOPE)
endfunction()

# Little-endian bytes of `value` as hexadecimal text, `size` bytes long.
function(gauge_hex_le value size out_hex)
    set(hex "")
    foreach(byte RANGE 1 ${size})
        math(EXPR low "${value} & 0xFF" OUTPUT_FORMAT HEXADECIMAL)
        string(SUBSTRING "${low}" 2 -1 low)
        string(LENGTH "${low}" digits)
        if(digits EQUAL 1)
            set(low "0${low}")
        endif()
        string(APPEND hex ${low})
        math(EXPR value "${value} >> 8")
    endforeach()
    set(${out_hex} ${hex} PARENT_SCOPE)
endfunction()

# Text as NUL-terminated UTF-16LE in hexadecimal; the texts are plain ASCII.
function(gauge_hex_utf16 text out_hex)
    if(NOT text MATCHES "^[ -~]*$")
        message(FATAL_ERROR "version text \"${text}\" is not plain ASCII")
    endif()
    string(HEX "${text}" hex)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\100" hex "${hex}")
    set(${out_hex} "${hex}0000" PARENT_SCOPE)
endfunction()

# Appends zero bytes to the hexadecimal text in `variable` up to a 4-byte boundary.
macro(gauge_hex_align variable)
    string(LENGTH "${${variable}}" _digits)
    math(EXPR _gap "(8 - ${_digits} % 8) % 8")
    if(_gap GREATER 0)
        string(REPEAT "0" ${_gap} _zeros)
        string(APPEND ${variable} ${_zeros})
    endif()
endmacro()

# One version block: wLength, wValueLength, wType, the key, the value and the children,
# each of the last three from a 4-byte boundary. wLength covers the block without the
# padding after it.
function(gauge_version_block out_hex key value_hex value_length type)
    gauge_hex_utf16("${key}" block)
    set(block "000000000000${block}")
    if(value_hex)
        gauge_hex_align(block)
        string(APPEND block ${value_hex})
    endif()
    foreach(child IN LISTS ARGN)
        gauge_hex_align(block)
        string(APPEND block ${child})
    endforeach()
    string(LENGTH "${block}" digits)
    math(EXPR length "${digits} / 2")
    gauge_hex_le(${length} 2 length_hex)
    gauge_hex_le(${value_length} 2 value_length_hex)
    gauge_hex_le(${type} 2 type_hex)
    string(SUBSTRING "${block}" 12 -1 rest)
    set(${out_hex} "${length_hex}${value_length_hex}${type_hex}${rest}" PARENT_SCOPE)
endfunction()

# The VS_VERSIONINFO resource, as hexadecimal text, that gauge_version_rc compiles to.
function(gauge_version_bytes name suffix version out_hex)
    gauge_version_numbers(${version} numbers)
    list(GET numbers 0 major)
    list(GET numbers 1 minor)
    list(GET numbers 2 patch)
    list(GET numbers 3 build)
    math(EXPR version_ms "(${major} << 16) | ${minor}")
    math(EXPR version_ls "(${patch} << 16) | ${build}")
    # VS_FIXEDFILEINFO: signature, structure version 1.0, file and product version, flags
    # mask 0x3F, flags 0, VOS_NT_WINDOWS32, VFT_DLL, no subtype, no date.
    set(fixed "")
    foreach(word 0xFEEF04BD 0x00010000 ${version_ms} ${version_ls} ${version_ms} ${version_ls}
                 0x3F 0 0x40004 2 0 0 0)
        gauge_hex_le(${word} 4 word_hex)
        string(APPEND fixed ${word_hex})
    endforeach()

    gauge_version_texts(${name} ${suffix} ${version} texts)
    set(strings)
    while(texts)
        list(POP_FRONT texts key value)
        gauge_hex_utf16("${value}" value_hex)
        string(LENGTH "${value}" characters)
        math(EXPR characters "${characters} + 1")
        gauge_version_block(string_hex "${key}" ${value_hex} ${characters} 1)
        list(APPEND strings ${string_hex})
    endwhile()
    gauge_version_block(table "${GAUGE_VERSION_TABLE_KEY}" "" 0 1 ${strings})
    gauge_version_block(string_info StringFileInfo "" 0 1 ${table})

    gauge_hex_le(${GAUGE_VERSION_LANGUAGE} 2 language)
    gauge_hex_le(${GAUGE_VERSION_CODEPAGE} 2 codepage)
    gauge_version_block(translation Translation ${language}${codepage} 4 0)
    gauge_version_block(var_info VarFileInfo "" 0 1 ${translation})

    gauge_version_block(info VS_VERSION_INFO ${fixed} 52 0 ${string_info} ${var_info})
    set(${out_hex} ${info} PARENT_SCOPE)
endfunction()
