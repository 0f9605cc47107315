# Runs the program unattended with its unload folder on a small memory disk that fills up during
# the run, in ZIP mode and in folder mode:
#   cmake -DPROGRAM=<N7_Fetchling> -DSAMPLE=<sandbox folder> -DWORK=<scratch folder> -P AutostartDiskFullTest.cmake
# The disk is a tmpfs mounted in a mount namespace of the run's own (unshare -rm), so that nothing
# outside sees it; what the run left on it is copied out before the namespace ends. Where the
# machine lets no process mount one, the test says "SKIPPED" and ctest counts it as skipped.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/probe")
find_program(UNSHARE unshare)
if(NOT UNSHARE)
    message("SKIPPED: no unshare here to mount a small disk")
    return()
endif()
execute_process(COMMAND "${UNSHARE}" -rm sh -c "mount -t tmpfs -o size=64k tmpfs \"$1\"" sh "${WORK}/probe"
                RESULT_VARIABLE code OUTPUT_QUIET ERROR_QUIET)
if(NOT code EQUAL 0)
    message("SKIPPED: this machine lets no process mount a small disk")
    return()
endif()

set(ENV{QT_QPA_PLATFORM} offscreen)

# The run, then a copy of what it left on the disk, inside the namespace: the disk goes with it.
set(run_on_small_disk [=[
mount -t tmpfs -o size=1500k tmpfs "$1" || exit 125
"$2" /AUTOSTART
code=$?
cp -a "$1/." "$3/"
exit $code
]=])

foreach(mode zip folder)
    set(out "${WORK}/${mode}/out")
    set(after "${WORK}/${mode}/after")
    file(MAKE_DIRECTORY "${out}" "${after}")
    set(ENV{N7_REGISTRY_DIR} "${WORK}/${mode}/registry")
    execute_process(COMMAND "${PROGRAM}" --configure-demo "${SAMPLE}" "${out}" RESULT_VARIABLE code OUTPUT_QUIET)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "--configure-demo failed with ${code}")
    endif()
    if(mode STREQUAL "folder")
        # The settings store takes the download mode as any other option: LoadContentByZip = 0.
        set(store "${WORK}/${mode}/registry/user.json")
        file(READ "${store}" json)
        string(JSON keys LENGTH "${json}" keys)
        math(EXPR last "${keys} - 1")
        foreach(i RANGE ${last})
            string(JSON path GET "${json}" keys ${i} path)
            if(path MATCHES "\\\\Options$")
                string(JSON values LENGTH "${json}" keys ${i} values)
                string(JSON json SET "${json}" keys ${i} values ${values}
                       "{\"data\": 0, \"name\": \"LoadContentByZip\", \"type\": \"DWORD\"}")
            endif()
        endforeach()
        file(WRITE "${store}" "${json}")
    endif()

    execute_process(COMMAND "${UNSHARE}" -rm sh -c "${run_on_small_disk}" sh "${out}" "${PROGRAM}" "${after}"
                    RESULT_VARIABLE code OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
    set(report "${mode} mode:\n${stdout}\n${stderr}")
    if(NOT code EQUAL 2)
        message(FATAL_ERROR "a run that filled its disk ended with ${code}, not 2 (stopped)\n${report}")
    endif()
    if(NOT stdout MATCHES "Выгрузка документов прервана[.]")
        message(FATAL_ERROR "the run does not say it was stopped\n${report}")
    endif()
    if(NOT stderr MATCHES "Исчерпано свободное место на диске[.]\r?\nПроцесс выгрузки документов будет остановлен[.]")
        message(FATAL_ERROR "the disk-full message is missing\n${report}")
    endif()
    if(stdout MATCHES "bad allocation" OR stderr MATCHES "bad allocation")
        message(FATAL_ERROR "the stop ended in a memory failure\n${report}")
    endif()

    # Every chosen protocol is either whole under its name or said to be not written.
    foreach(extension htm xlsx csv)
        file(GLOB protocol "${after}/Протокол выгрузки документов из Диадок от *.${extension}")
        if(protocol)
            if(NOT stdout MATCHES "Протокол: [^\n]*[.]${extension}")
                message(FATAL_ERROR "a .${extension} protocol lies there but the run does not list it\n${report}")
            endif()
            if(extension STREQUAL "htm")
                file(READ "${protocol}" tail)
                if(NOT tail MATCHES "</html>$")
                    message(FATAL_ERROR "an incomplete HTML protocol under its name: ${protocol}")
                endif()
            endif()
        elseif(NOT stdout MATCHES "Протокол не записан: [^\n]*[.]${extension}")
            message(FATAL_ERROR "the .${extension} protocol is neither there nor said to be missing\n${report}")
        endif()
    endforeach()

    # No empty or partial leftovers of downloads and unpacking; no empty metadata file.
    file(GLOB_RECURSE archives "${after}/*content.zip")
    foreach(archive IN LISTS archives)
        file(SIZE "${archive}" size)
        if(size EQUAL 0)
            message(FATAL_ERROR "an empty archive is left: ${archive}")
        endif()
    endforeach()
    file(GLOB_RECURSE temporaries "${after}/*.tmp")
    if(temporaries)
        message(FATAL_ERROR "temporary files are left: ${temporaries}")
    endif()
    file(GLOB_RECURSE metadata "${after}/DCInfo.n7l")
    foreach(file IN LISTS metadata)
        file(SIZE "${file}" size)
        if(size EQUAL 0)
            message(FATAL_ERROR "an empty metadata file: ${file}")
        endif()
    endforeach()
endforeach()
file(REMOVE_RECURSE "${WORK}")
