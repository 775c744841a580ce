# gauge_module(NAME SOURCES file... [RESOURCES manifest] [SUFFIX .dll] [VERSION a.b.c.d])
#
# Declares one gauge module. The manifest lists its resources, one "TYPE ID FILE" a line
# (TYPE is BITMAP, or WAVE or WAV for sounds; FILE relative to the manifest); VERSION adds a version resource
# with that file and product version. On Windows the module is NAME.gau (or NAME.dll) with
# its resources compiled by windres; elsewhere it is NAME.so carrying the same resources in
# an exported ResourceTable.

set(GAUGE_FRAMEWORK_DIR ${CMAKE_CURRENT_LIST_DIR}/../framework)
set(GAUGE_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake)
set(GAUGE_EXPORTS_MAP ${CMAKE_CURRENT_LIST_DIR}/module_exports.map)
set(GAUGE_VERSION_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/version_resource.cmake)
include(${GAUGE_VERSION_SCRIPT})

# Reads a manifest into lists of types, ids and absolute file paths.
function(gauge_read_manifest manifest out_types out_ids out_files)
    file(STRINGS ${manifest} lines REGEX "^[A-Z]+[ \t]+[0-9]+[ \t]+[^ \t]+$")
    get_filename_component(dir ${manifest} DIRECTORY)
    set(types)
    set(ids)
    set(files)
    foreach(line IN LISTS lines)
        string(REGEX MATCH "^([A-Z]+)[ \t]+([0-9]+)[ \t]+(.+)$" _ "${line}")
        set(type ${CMAKE_MATCH_1})
        list(APPEND ids ${CMAKE_MATCH_2})
        list(APPEND files ${dir}/${CMAKE_MATCH_3})
        if(NOT type MATCHES "^(BITMAP|WAVE|WAV)$")
            message(FATAL_ERROR "${manifest}: unknown resource type ${type}")
        endif()
        list(APPEND types ${type})
    endforeach()
    set(${out_types} ${types} PARENT_SCOPE)
    set(${out_ids} ${ids} PARENT_SCOPE)
    set(${out_files} ${files} PARENT_SCOPE)
endfunction()

function(gauge_module name)
    cmake_parse_arguments(PARSE_ARGV 1 GAUGE "" "RESOURCES;SUFFIX;VERSION" "SOURCES")
    if(NOT GAUGE_SUFFIX)
        set(GAUGE_SUFFIX .gau)
    endif()
    if(GAUGE_VERSION)
        gauge_version_numbers(${GAUGE_VERSION} numbers)
    endif()
    set(sources ${GAUGE_SOURCES} ${GAUGE_FRAMEWORK_DIR}/module.cpp)
    set(types)
    set(ids)
    set(files)
    if(GAUGE_RESOURCES)
        get_filename_component(manifest ${GAUGE_RESOURCES} ABSOLUTE)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${manifest})
        gauge_read_manifest(${manifest} types ids files)
    endif()

    if(WIN32 AND (files OR GAUGE_VERSION))
        set(rc ${CMAKE_CURRENT_BINARY_DIR}/${name}_resources.rc)
        set(rc_text "")
        foreach(type id file IN ZIP_LISTS types ids files)
            string(APPEND rc_text "${id} ${type} \"${file}\"\n")
        endforeach()
        if(GAUGE_VERSION)
            gauge_version_rc(${name} ${GAUGE_SUFFIX} ${GAUGE_VERSION} version_text)
            string(APPEND rc_text "${version_text}")
        endif()
        file(GENERATE OUTPUT ${rc} CONTENT "${rc_text}")
        list(APPEND sources ${rc})
        set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${files}")
    elseif(NOT WIN32)
        set(embedded ${CMAKE_CURRENT_BINARY_DIR}/${name}_resources.cpp)
        add_custom_command(
            OUTPUT ${embedded}
            COMMAND ${CMAKE_COMMAND} "-DTYPES=${types}" "-DIDS=${ids}" "-DFILES=${files}"
                    "-DVERSION=${GAUGE_VERSION}" -DNAME=${name} -DSUFFIX=${GAUGE_SUFFIX}
                    -DOUTPUT=${embedded} -P ${GAUGE_EMBED_SCRIPT}
            DEPENDS ${files} ${GAUGE_EMBED_SCRIPT} ${GAUGE_VERSION_SCRIPT} ${GAUGE_RESOURCES}
            COMMENT "Embedding the resources of ${name}"
            VERBATIM)
        list(APPEND sources ${embedded})
    endif()

    add_library(${name} MODULE ${sources})
    target_include_directories(${name} PRIVATE ${GAUGE_FRAMEWORK_DIR} ${GAUGE_FRAMEWORK_DIR}/../platform)
    target_compile_options(${name} PRIVATE -fno-exceptions -fno-rtti -fvisibility=hidden
                           -Wno-missing-field-initializers)
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/modules
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/modules)
    if(WIN32)
        set_target_properties(${name} PROPERTIES SUFFIX ${GAUGE_SUFFIX})
        # No exceptions pass through a gauge: its code needs no unwind tables.
        target_compile_options(${name} PRIVATE -fno-asynchronous-unwind-tables)
        target_link_options(${name} PRIVATE -static -s -Wl,--exclude-all-symbols)
    else()
        target_link_libraries(${name} PRIVATE gauge_platform)
        target_link_options(${name} PRIVATE -Wl,--version-script=${GAUGE_EXPORTS_MAP})
        # Under GAUGE_FUZZ the sanitizer and coverage symbols come from the fuzzer that loads the module.
        if(NOT GAUGE_FUZZ)
            target_link_options(${name} PRIVATE -Wl,-z,defs)
        endif()
        set_target_properties(${name} PROPERTIES BUILD_RPATH "\$ORIGIN/../lib")
    endif()
    # The version the module's resource carries, for the tests.
    set_target_properties(${name} PROPERTIES GAUGE_VERSION "${GAUGE_VERSION}")
    add_dependencies(gauge_modules ${name})
    if(NOT name MATCHES "^probe_")
        set_property(GLOBAL APPEND PROPERTY GAUGE_DELIVERABLES ${name})
    endif()
endfunction()
