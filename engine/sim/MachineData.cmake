# Writes the default simulated PC and its sample update files into OUT:
#   cmake -DOUT=<folder> -P MachineData.cmake
# The image bytes are a text made from board and version; the damaged file
# names a hash that does not fit its image.
file(MAKE_DIRECTORY ${OUT})

# The factory machine has one source, Machine.xml beside this script; the
# engine carries the same bytes for MachineReset.
configure_file(${CMAKE_CURRENT_LIST_DIR}/Machine.xml ${OUT}/Machine.xml COPYONLY)

function(update_write name biosId version date damaged)
    set(image "")
    foreach(i RANGE 15)
        string(APPEND image "${biosId}${version}IMAGE${i}")
    endforeach()
    string(SHA256 hash "${image}")
    if(damaged)
        string(SHA256 hash "damaged")
    endif()
    file(WRITE ${OUT}/${name} "<?xml version=\"1.0\"?>
<BiosUpdate>
  <Target BiosId=\"${biosId}\" Date=\"${date}\" PostOnly=\"0\" Version=\"${version}\"/>
  <Image Sha256=\"${hash}\">${image}</Image>
</BiosUpdate>
")
endfunction()

update_write(B7710-1.30.bup B7710 1.30 "11/02/2026" OFF)
update_write(B7710-1.10.bup B7710 1.10 "09/20/2025" OFF)
update_write(B8820-2.00.bup B8820 2.00 "10/01/2026" OFF)
update_write(B7710-damaged.bup B7710 1.40 "12/01/2026" ON)
