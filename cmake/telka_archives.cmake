# The static libraries a target brings into a program, read from the target
# graph, so the lists of what libtelka.a holds (install, the browser SDK) and
# of what the fuzzing build instruments follow the build files by themselves.

# telka_link_closure(target out_targets out_files): the STATIC_LIBRARY
# targets of this project that `target` links, directly or through others,
# itself included, in the order first met, in `out_targets`; archive files
# named by path (FreeType in the browser build) in `out_files`. Imported
# targets and system libraries are left out: a program links them itself.
function(telka_link_closure target out_targets out_files)
  set(seen)
  set(archives)
  set(files)
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending item)
    # A static library's private links show in its interface as LINK_ONLY.
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
    if(TARGET ${item})
      get_target_property(aliased ${item} ALIASED_TARGET)
      if(aliased)
        set(item ${aliased})
      endif()
      get_target_property(imported ${item} IMPORTED)
      if(item IN_LIST seen OR imported)
        continue()
      endif()
      list(APPEND seen ${item})
      get_target_property(type ${item} TYPE)
      get_target_property(links ${item} INTERFACE_LINK_LIBRARIES)
      if(links)
        list(APPEND pending ${links})
      endif()
      if(type STREQUAL "STATIC_LIBRARY")
        list(APPEND archives ${item})
        get_target_property(own_links ${item} LINK_LIBRARIES)
        if(own_links)
          list(APPEND pending ${own_links})
        endif()
      endif()
    elseif(item MATCHES "\\.a$" AND NOT item IN_LIST files)
      list(APPEND files ${item})
    endif()
  endwhile()
  set(${out_targets} ${archives} PARENT_SCOPE)
  set(${out_files} ${files} PARENT_SCOPE)
endfunction()
