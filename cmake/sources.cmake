# The library's sources by layer, shared by both builds.
set(SAA7146_LIBRARY_SOURCES
  src/api/bus_api.cpp
  src/api/card_api.cpp
  src/api/card_table.cpp
  src/api/control_api.cpp
  src/api/digit_api.cpp
  src/api/display_api.cpp
  src/api/function_table.cpp
  src/api/register_api.cpp
  src/api/settings.cpp
  src/card/digit_card.cpp
  src/card/digitize.cpp
  src/card/frame_modes.cpp
  src/card/second_camera.cpp
  src/card/test_frame.cpp
  src/card/driver_request.cpp
  src/card/switches.cpp
  src/card/test_sources.cpp
  src/dialogs/dialog_globals.cpp
  src/dialogs/dialog_proc.cpp
  src/dialogs/dialog_state.cpp
  src/dialogs/module_entry.cpp
  src/dialogs/preview.cpp
  src/dialogs/tavdig_api.cpp
  src/display/card_display.cpp
  src/display/display_mode.cpp
  src/display/display_modules.cpp
  src/display/masks.cpp
  src/display/overlay.cpp
  src/display/phys_address.cpp
  src/image/bmp_file.cpp
  src/image/dib.cpp
  src/regs/card_controls.cpp
  src/regs/i2c.cpp
  src/regs/reg_access.cpp
  src/regs/reg_tables.cpp
  src/support/log.cpp
  src/support/module_state.cpp
  src/support/semaphore.cpp
  src/support/vrnreg.cpp
  src/support/vrnthread.cpp
)

# The stand-in for Windows on Linux.
set(SAA7146_STANDIN_SOURCES
  src/platform/posix/controls.cpp
  src/platform/posix/crt_files.cpp
  src/platform/posix/dialog_box.cpp
  src/platform/posix/dialog_items.cpp
  src/platform/posix/dialog_template.cpp
  src/platform/posix/direct_draw.cpp
  src/platform/posix/display.cpp
  src/platform/posix/file_store.cpp
  src/platform/posix/files.cpp
  src/platform/posix/gdi.cpp
  src/platform/posix/gdi_paint.cpp
  src/platform/posix/global_memory.cpp
  src/platform/posix/message_box.cpp
  src/platform/posix/messages.cpp
  src/platform/posix/modules.cpp
  src/platform/posix/process_end.cpp
  src/platform/posix/profile.cpp
  src/platform/posix/profile_text.cpp
  src/platform/posix/registry.cpp
  src/platform/posix/registry_keys.cpp
  src/platform/posix/resources.cpp
  src/platform/posix/registry_store.cpp
  src/platform/posix/system.cpp
  src/platform/posix/tav_helper.cpp
  src/platform/posix/window_classes.cpp
  src/platform/posix/windows.cpp
)

# The virtual card, and the device-file seam bound to it.
set(SAA7146_SIM_SOURCES
  sim/card_requests.cpp
  sim/card_set.cpp
  sim/card_state.cpp
  sim/device_files.cpp
  sim/frames.cpp
  sim/i2c_bus.cpp
  sim/low_memory.cpp
  sim/registers.cpp
  sim/virtual_card.cpp
)
if(WIN32)
  list(APPEND SAA7146_SIM_SOURCES sim/shared_cards_none.cpp)
else()
  list(APPEND SAA7146_SIM_SOURCES sim/shared_cards.cpp)
endif()
set(SAA7146_SIM_SEAM_SOURCES sim/device_file_backend.cpp)
# Whether a program's virtual cards are shared with other processes by
# default: yes through the system library, no in the tests' archives.
set(SAA7146_SIM_SHARED_SOURCE sim/default_shared.cpp)
set(SAA7146_SIM_PRIVATE_SOURCE sim/default_private.cpp)

# Every function exported by name, with its argument bytes (one per line).
file(STRINGS ${CMAKE_SOURCE_DIR}/src/api/exports.txt SAA7146_EXPORT_LINES REGEX "^[A-Za-z?]")

# The library's resources (message texts, dialog templates) in both languages.
set(SAA7146_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/src/resources/saa7146.rc)

set(SAA7146_INCLUDE_DIRS ${CMAKE_SOURCE_DIR}/include ${CMAKE_SOURCE_DIR}/src
    ${CMAKE_SOURCE_DIR}/sim)
