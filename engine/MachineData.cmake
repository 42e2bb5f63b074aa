# Writes the default simulated PC and its sample update files into OUT:
#   cmake -DOUT=<folder> -P MachineData.cmake
# The image bytes are a text made from board and version; the damaged file
# names a hash that does not fit its image.
file(MAKE_DIRECTORY ${OUT})

file(WRITE ${OUT}/Machine.xml [=[<?xml version="1.0"?>
<Machine>
  <Bios AccessBlocked="none" AstSupported="1" Date="03/14/2026" DowngradeProhibited="0" PostUpdate="0" RollbackForbidden="0" SameVersionOverwrite="0" Version="1.20" WriteProtected="0"/>
  <BootOrder Devices="HDD,USB,PXE"/>
  <Post Action="none" Outcome="succeeded" PendingDate="" PendingVersion="" Status=""/>
  <Power Ac="connected" Battery="absent" IgnoreAcSupported="1" ShutdownPending="0" Type="desktop"/>
  <Security BitLocker="0" HyperV="0" KorlixAwaitsReboot="0" SetupAwaitsReboot="0" SetupPasswordSha256="" Txt="0" UnsupportedOs="0"/>
  <Settings BootMenu="Enabled" NumLock="On" SecureBoot="Enabled" Virtualization="Disabled" WakeOnLan="Disabled"/>
  <System BaseBoard="D3771-A1" BiosId="B7710" BiosInterface="3.1" CpuId="000906EA" Domain="WORKGROUP" MicroCode="000000F4" Model="Korvana D7710" NetworkName="PC-0001" Steppings="0A"/>
</Machine>
]=])

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
