# ostrevan_delay_load(target dll): `target` loads `dll` at its first call into
# it instead of at its start. A delay-load import library made from the
# toolchain's own import library, under the same name, is found first by this
# target's link alone, so the libraries that name `dll` need not know.
function(ostrevan_delay_load target dll)
  find_library(OSTREVAN_IMPORT_${dll} ${dll} REQUIRED)
  set(import ${OSTREVAN_IMPORT_${dll}})
  set(dir ${CMAKE_BINARY_DIR}/delay-load/${target})
  set(library ${dir}/lib${dll}.a)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/DelayLoadLibrary.cmake)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(underscore ON)  # 32-bit C names carry a leading underscore
  else()
    set(underscore OFF)
  endif()
  add_custom_command(OUTPUT ${library}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPORT=${import}
            -DDLL=${dll} -DOUT=${library} -DUNDERSCORE=${underscore} -P ${script}
    DEPENDS ${import} ${script}
    COMMENT "Delay-load import library of ${dll} for ${target}")
  add_custom_target(${target}_delay_load_${dll} DEPENDS ${library})
  add_dependencies(${target} ${target}_delay_load_${dll})
  target_link_directories(${target} PRIVATE ${dir})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${library})
endfunction()
