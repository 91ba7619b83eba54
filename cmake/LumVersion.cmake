# The program's version: the project version, plus the git commit where the source is a git
# checkout ("1.0+g57e49ce"), plus ".dirty" when tracked files differ from that commit. Every
# program and the package take it from here, so they can never disagree.
#
# Included: defines lum_compute_version(). Run as a script (cmake -P) with LUM_SOURCE_DIR,
# LUM_BASE_VERSION and LUM_OUTPUT: writes the header of the version library, touching it only
# when its content changes so that a rebuild without a new commit recompiles nothing.

function(lum_compute_version base source_dir out_var)
    set(_version "${base}")
    find_program(_git git)
    if(_git)
        execute_process(COMMAND ${_git} -C ${source_dir} rev-parse --short=7 HEAD
            OUTPUT_VARIABLE _commit RESULT_VARIABLE _rc
            OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(_rc EQUAL 0 AND _commit)
            set(_version "${_version}+g${_commit}")
            execute_process(COMMAND ${_git} -C ${source_dir} status --porcelain --untracked-files=no
                OUTPUT_VARIABLE _changes RESULT_VARIABLE _rc ERROR_QUIET)
            if(_rc EQUAL 0 AND NOT _changes STREQUAL "")
                set(_version "${_version}.dirty")
            endif()
        endif()
    endif()
    set(${out_var} "${_version}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    lum_compute_version("${LUM_BASE_VERSION}" "${LUM_SOURCE_DIR}" _v)
    # the date of the build; SOURCE_DATE_EPOCH, where set, fixes it for a reproducible build
    string(TIMESTAMP _date "%Y-%m-%d")
    file(WRITE "${LUM_OUTPUT}.tmp"
        "// Generated at build time from the project version and the git commit.\n"
        "#pragma once\n"
        "#define LUM_VERSION_TEXT \"${_v}\"\n"
        "#define LUM_BUILD_DATE_TEXT \"${_date}\"\n")
    file(COPY_FILE "${LUM_OUTPUT}.tmp" "${LUM_OUTPUT}" ONLY_IF_DIFFERENT)
    file(REMOVE "${LUM_OUTPUT}.tmp")
endif()
