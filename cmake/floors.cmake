# The floors of the source tree, bottom-up. Every folder under src/ is one floor and may use
# only the floors below it; a library that links a library of its own floor or of a higher one
# stops the configuration, and the test "floors" does the same for #include lines.
set(QUILLON_FLOORS base ui image pda card commands update app sim win32 cli gui winui)

function(quillon_floor_of target out)
    set(${out} -1 PARENT_SCOPE)
    foreach(floor IN LISTS QUILLON_FLOORS)
        if(target STREQUAL "quillon_${floor}" OR target STREQUAL "quillon_${floor}_lib")
            list(FIND QUILLON_FLOORS ${floor} index)
            set(${out} ${index} PARENT_SCOPE)
        endif()
    endforeach()
endfunction()

# Checks the link lines of every floor's library; call once all of them are defined.
function(quillon_check_floor_links)
    foreach(floor IN LISTS QUILLON_FLOORS)
        foreach(target quillon_${floor} quillon_${floor}_lib)
            if(NOT TARGET ${target})
                continue()
            endif()
            quillon_floor_of(${target} own)
            get_target_property(links ${target} LINK_LIBRARIES)
            get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
            foreach(linked IN LISTS links interface)
                quillon_floor_of("${linked}" other)
                if(other GREATER_EQUAL own)
                    message(FATAL_ERROR
                        "${target} (floor src/${floor}) links ${linked}, which is not below it")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()
