# Run by cpack before it packs (CPACK_PRE_BUILD_SCRIPTS), once the programs are staged and stripped:
# signs each of them, since stripping after signing would break the signature.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
if(NOT programs)
  message(FATAL_ERROR "no programs to sign in ${CPACK_TEMPORARY_DIRECTORY}")
endif()
execute_process(COMMAND "${CPACK_TAMBLO_SIGN_TOOL}" ${programs} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "the programs could not be signed")
endif()
