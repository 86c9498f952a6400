# A test image engine for the Windows build: wimgapi.dll made of the WIMGAPI
# layer (src/wimgapi, with the Windows parts of windows/src/wimgapi) over
# wimlib's libwim-15.dll, built from wimlib's source by scripts/test-windows.sh.
# QXFM_TEST_WIMLIB names that build: a folder with include/wimlib.h,
# lib/libwim.dll.a and bin/libwim-15.dll. Both DLLs are copied beside the test
# programs and qxfm.exe in the build tree, where the module's LoadLibrary finds
# them; they are never installed (Windows has its own wimgapi.dll).
set(QXFM_TEST_WIMLIB "" CACHE PATH "wimlib built for Windows, for the test image engine")
set(engine_host_dirs tests tools/qxfm)
if(NOT QXFM_TEST_WIMLIB)
  # No engine from an earlier configuration stays beside the hosts.
  foreach(host_dir ${engine_host_dirs})
    file(REMOVE ${CMAKE_BINARY_DIR}/${host_dir}/wimgapi.dll ${CMAKE_BINARY_DIR}/${host_dir}/libwim-15.dll)
  endforeach()
  return()
endif()
foreach(wimlib_file include/wimlib.h lib/libwim.dll.a bin/libwim-15.dll)
  if(NOT EXISTS ${QXFM_TEST_WIMLIB}/${wimlib_file})
    message(FATAL_ERROR "QXFM_TEST_WIMLIB: ${QXFM_TEST_WIMLIB}/${wimlib_file} is missing")
  endif()
endforeach()
add_library(wimlib_windows SHARED IMPORTED)
set_target_properties(wimlib_windows PROPERTIES IMPORTED_IMPLIB ${QXFM_TEST_WIMLIB}/lib/libwim.dll.a
  IMPORTED_LOCATION ${QXFM_TEST_WIMLIB}/bin/libwim-15.dll INTERFACE_INCLUDE_DIRECTORIES ${QXFM_TEST_WIMLIB}/include)

file(GLOB engine_sources CONFIGURE_DEPENDS src/wimgapi/wimgapi_*.cpp windows/src/wimgapi/*.cpp)
list(REMOVE_ITEM engine_sources ${CMAKE_CURRENT_SOURCE_DIR}/src/wimgapi/wimgapi_host.cpp)
add_library(test_wimgapi SHARED ${engine_sources} src/kernel/errno_codes.cpp windows/src/wimgapi/wimgapi.def)
# The Windows headers of windows/src/wimgapi stand in for the Linux ones of the same name.
target_include_directories(test_wimgapi PRIVATE windows/src/wimgapi src/wimgapi src/kernel)
target_link_libraries(test_wimgapi PRIVATE platform wimlib_windows)
target_link_options(test_wimgapi PRIVATE -static)
set_target_properties(test_wimgapi PROPERTIES OUTPUT_NAME wimgapi PREFIX "")

# Copied on every build (when changed), so a build tree that had no engine gets it.
set(engine_copies)
foreach(host_dir ${engine_host_dirs})
  list(APPEND engine_copies COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/${host_dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:test_wimgapi> ${QXFM_TEST_WIMLIB}/bin/libwim-15.dll
      ${CMAKE_BINARY_DIR}/${host_dir})
endforeach()
add_custom_target(test_image_engine ALL ${engine_copies} DEPENDS test_wimgapi VERBATIM)
