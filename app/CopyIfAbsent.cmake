# cmake -DSOURCE=<file> -DTARGET=<file> -P CopyIfAbsent.cmake
# Copies SOURCE to TARGET only when TARGET does not exist.
if(NOT EXISTS "${TARGET}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
