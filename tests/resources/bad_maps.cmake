# make_icon must refuse a broken map with a message that points at the fault,
# and must leave no icon behind for the resource compiler to pick up.
# Usage: cmake -DMAP=icon.txt -DMAKE_ICON=make_icon -DWORK_DIR=dir -P bad_maps.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")

# The good map, line by line, and where its first and last pixel rows are.
file(READ "${MAP}" text)
# A ';' would split a line in two as a list element, so it travels as a stand-in.
string(REPLACE ";" "<semicolon>" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
set(row_indices "")
set(index 0)
foreach(line IN LISTS lines)
    if(line MATCHES "^[^# ][^ ]")
        list(APPEND row_indices ${index})
    endif()
    math(EXPR index "${index} + 1")
endforeach()
list(LENGTH row_indices row_count)
if(NOT row_count EQUAL 16)
    message(FATAL_ERROR "${MAP}: ${row_count} pixel rows, want 16")
endif()
list(GET row_indices 0 first_row_index)
list(GET row_indices 15 last_row_index)
math(EXPR first_row "${first_row_index} + 1")
math(EXPR last_row "${last_row_index} + 1")
list(GET lines ${first_row_index} top_row)

set(failures "")

# Runs make_icon on the good map changed by the list() call in ARGN (on the
# list `changed`) and expects it to fail with a message matching `expect`.
function(expect_rejected name expect)
    set(changed "${lines}")
    list(${ARGN})
    list(JOIN changed "\n" body)
    string(REPLACE "<semicolon>" ";" body "${body}")
    set(map "${WORK_DIR}/${name}.txt")
    set(ico "${WORK_DIR}/${name}.ico")
    file(WRITE "${map}" "${body}")
    file(WRITE "${ico}" "left from an earlier build")
    execute_process(COMMAND "${MAKE_ICON}" "${map}" "${ico}"
        RESULT_VARIABLE result ERROR_VARIABLE error OUTPUT_QUIET)
    string(STRIP "${error}" error)
    set(problems "")
    if(result EQUAL 0)
        string(APPEND problems " accepted;")
    endif()
    if(NOT error MATCHES "${expect}")
        string(APPEND problems " said \"${error}\", want /${expect}/;")
    endif()
    if(EXISTS "${ico}")
        string(APPEND problems " left ${ico} behind;")
    endif()
    if(problems)
        set(failures "${failures}  ${name}:${problems}\n" PARENT_SCOPE)
    endif()
endfunction()

expect_rejected(short_row ":${first_row}: 15 pixels in the row, want 16"
    TRANSFORM changed REPLACE "^(.*).$" "\\1" AT ${first_row_index})
expect_rejected(long_row ":${last_row}: 17 pixels in the row, want 16"
    TRANSFORM changed APPEND "." AT ${last_row_index})
expect_rejected(missing_row ": 15 pixel rows, want 16"
    REMOVE_AT changed ${last_row_index})
expect_rejected(extra_row ": 17 pixel rows, want 16"
    INSERT changed ${first_row_index} "${top_row}")
expect_rejected(no_rows ": 0 pixel rows, want 16"
    SUBLIST changed 0 ${first_row_index} changed)
expect_rejected(unknown_character ":${last_row}: 'Z' is not in the legend"
    TRANSFORM changed REPLACE "^.(.*)$" "Z\\1" AT ${last_row_index})
expect_rejected(space_in_row ":${last_row}: ' ' is not in the legend"
    TRANSFORM changed REPLACE "^(...).(.*)$" "\\1 \\2" AT ${last_row_index})
expect_rejected(unknown_colour ":1: unknown colour \"orange\""
    INSERT changed 0 "Z = orange")
expect_rejected(colour_by_number ":1: unknown colour \"4\""
    INSERT changed 0 "Z = 4")
expect_rejected(transparent_redefined ":1: '.' is defined twice"
    INSERT changed 0 ". = white")
expect_rejected(legend_twice ":2: 'Z' is defined twice"
    INSERT changed 0 "Z = white" "Z = black")
expect_rejected(legend_without_equals ":1: a legend line is \"c = colour\""
    INSERT changed 0 "Z : white")

execute_process(COMMAND "${MAKE_ICON}" "${WORK_DIR}/no_such_map.txt" "${WORK_DIR}/missing.ico"
    RESULT_VARIABLE result ERROR_VARIABLE error)
if(result EQUAL 0 OR NOT error MATCHES "no_such_map.txt: cannot open")
    string(APPEND failures "  missing_map: exit ${result}, said \"${error}\"\n")
endif()

if(failures)
    message(FATAL_ERROR "make_icon let broken maps through:\n${failures}")
endif()
