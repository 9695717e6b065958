# Runs cadenzo-cli (path in CLI) and checks the output and exit code of the chord commands.
# cmake -DCLI=path/to/cadenzo-cli -P chord_cli_test.cmake

# expect(EXIT OUT ARGS...): the exit code and the whole stdout, or with OUT "#n" only its number
# of lines. A usage error (exit 2) is one line on stderr and nothing on stdout.
function(expect want_code want_out)
    execute_process(COMMAND ${CLI} ${ARGN}
        RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(REGEX MATCHALL "\n" out_lines "${out}")
    string(REGEX MATCHALL "\n" err_lines "${err}")
    list(LENGTH out_lines out_count)
    list(LENGTH err_lines err_count)
    if(want_out MATCHES "^#")
        set(got_out "#${out_count}")
    elseif(want_code EQUAL 2)
        set(got_out "${out}${err_count}")
        set(want_out "1")
    else()
        set(got_out "${out}")
        set(want_out "${want_out}\n")
    endif()
    if(NOT code EQUAL want_code OR NOT got_out STREQUAL want_out)
        message(SEND_ERROR "cadenzo-cli ${ARGN}: exit ${code}, stdout '${out}', stderr '${err}'")
    endif()
endfunction()

expect(0 "0 1 0 2 3 0" chord C M)
expect(0 "11 13 11 10 x x" chord C mb5 --pos H)
expect(0 "2 1 2 1 x x" chord "G#" 7b9 --pos M)
expect(0 "0 0 1 2 2 2" chord E M --tuning "Drop D")
expect(0 "0 0 1 2 2 2" chord E M --tuning 28,23,19,14,9,2)
expect(0 "G#7b9" name 2 1 2 1 x x)
expect(0 "C" name 0 1 0 2 3 0)
expect(0 "E" name 0 0 1 2 2 2 --tuning "Drop D")
expect(0 "--" name 0 0 0 0 0 0)
expect(0 "#864" chart)

foreach(args "chord;H;M" "chord;C;M7" "chord;C;M;--pos;X" "chord;C;M;--tuning;Drop Z"
             "name;0;1;0;2;3" "name;0;1;0;2;3;25" "name;0;1;0;2;3;o")
    expect(2 "" ${args})
endforeach()
