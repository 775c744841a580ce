# Every verb answers --help with an example on standard output; a usage mistake gives one line
# on standard error that names what was typed, and exit status 2. BUILT_VERBS lists, with
# commas, the verbs of those that need libraries only some builds have (animate, serve)
# that this build has; the others must say in one line that the build lacks them.
cmake_policy(SET CMP0057 NEW) # IN_LIST
string(REPLACE "," ";" built_verbs "${BUILT_VERBS}")
set(verbs info state render sheet block run panel ${built_verbs})
foreach(verb IN LISTS verbs)
    execute_process(COMMAND ${BENCH} ${verb} --help RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT status EQUAL 0 OR NOT output MATCHES "usage: gaugebench ${verb}" OR NOT output MATCHES "[Ee]xample")
        message(FATAL_ERROR "${verb} --help: status ${status}\n${output}${errors}")
    endif()
endforeach()

# Each case: the arguments separated by "|", then "=>" and a text the one line must hold.
set(cases
    "fly|window_toggle=>\"fly\""
    "state=>no module given"
    "state|window_toggle|--bogus=>\"--bogus\""
    "state|window_toggle|--set|0x4A=high=>\"high\""
    "render|window_toggle|--scale|0|-o|x.png=>--scale"
    "render|window_toggle=>-o FILE.png"
    "block=>no block name"
    "block|NDPassData|--write-hex|0=zz=>\"zz\""
    "run=>SCENARIO"
    "run|--bogus|x.scn=>\"--bogus\""
    "panel|--bogus=>\"--bogus\""
    "panel|--scale|99|-o|x.png=>\"99\""
    "panel=>-o FILE.png")
if("animate" IN_LIST built_verbs)
    list(APPEND cases "animate|x.scn=>-o FILE.gif")
else()
    list(APPEND cases "animate|x.scn|-o|x.gif=>no GIF library")
endif()
if("serve" IN_LIST built_verbs)
    list(APPEND cases "serve|--port|99999=>\"99999\"" "serve|--bogus=>\"--bogus\"")
else()
    list(APPEND cases "serve|--port|0=>no HTTP server library")
endif()
foreach(case IN LISTS cases)
    string(FIND "${case}" "=>" split)
    string(SUBSTRING "${case}" 0 ${split} arguments)
    math(EXPR after "${split} + 2")
    string(SUBSTRING "${case}" ${after} -1 expected)
    string(REPLACE "|" ";" arguments "${arguments}")
    execute_process(COMMAND ${BENCH} ${arguments} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    string(REPLACE "\r" "" errors "${errors}")
    string(STRIP "${errors}" line)
    string(FIND "${line}" "${expected}" found)
    if(NOT status EQUAL 2 OR NOT output STREQUAL "" OR line MATCHES "\n" OR NOT line MATCHES "^gaugebench: "
       OR found EQUAL -1)
        message(FATAL_ERROR "gaugebench ${arguments}: status ${status}, expected one line holding '${expected}':\n"
                            "${errors}${output}")
    endif()
endforeach()
