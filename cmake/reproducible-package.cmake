# Read by cpack as it packs (CPACK_PROJECT_CONFIG_FILE): every file of the package is dated
# at the last commit, so two packages of one commit are the same bytes. A date the caller
# gives in SOURCE_DATE_EPOCH is kept; outside a git checkout CPack keeps the files' own.

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND git log -1 --format=%ct
                    WORKING_DIRECTORY ${CPACK_VIEWER_SOURCE_DIR}
                    OUTPUT_VARIABLE last_commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_result ERROR_QUIET)
    if(git_result EQUAL 0 AND last_commit_time)
        set(ENV{SOURCE_DATE_EPOCH} ${last_commit_time})
    endif()
endif()
