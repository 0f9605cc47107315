# make-sandbox prints its usage for --help, refuses options and bad numbers, and writes nothing then;
# --hostile writes the hostile documents:
#   cmake -DTOOL=<make-sandbox> -DWORK=<scratch folder> -P MakeSandboxTest.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

execute_process(COMMAND "${TOOL}" --help WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE code OUTPUT_VARIABLE out)
if(NOT code EQUAL 0 OR NOT out MATCHES "usage: make-sandbox")
    message(FATAL_ERROR "--help gave ${code}:\n${out}")
endif()

function(expect_refusal)
    execute_process(COMMAND "${TOOL}" ${ARGN} WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE code ERROR_VARIABLE err)
    if(NOT code EQUAL 2 OR NOT err MATCHES "usage: make-sandbox")
        message(FATAL_ERROR "'${ARGN}' gave ${code}:\n${err}")
    endif()
endfunction()
expect_refusal()
expect_refusal(--bogus)
expect_refusal(out --documents=5)
expect_refusal(out many)
expect_refusal(out 5 seed)
expect_refusal(out 5 1 extra)

file(GLOB written "${WORK}/*")
if(written)
    message(FATAL_ERROR "a refused command wrote ${written}")
endif()

execute_process(COMMAND "${TOOL}" out 3 1 WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE code)
if(NOT code EQUAL 0 OR NOT EXISTS "${WORK}/out/sandbox.json")
    message(FATAL_ERROR "a small sandbox was not written (${code})")
endif()

execute_process(COMMAND "${TOOL}" --hostile hostile 3 WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE code)
if(NOT code EQUAL 0 OR NOT EXISTS "${WORK}/hostile/hostile/DCInfo.n7l")
    message(FATAL_ERROR "a hostile sandbox was not written (${code})")
endif()
file(READ "${WORK}/hostile/sandbox.json" json)
if(NOT json MATCHES "\\\\u0000")
    message(FATAL_ERROR "the hostile sandbox holds no NUL")
endif()
file(REMOVE_RECURSE "${WORK}")
