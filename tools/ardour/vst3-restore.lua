-- Run by tools/ardour-vst3-check.sh: the saved session loaded again. Prints
-- what Ardour shows (LABELS, VALUE), then plays A4 twice into the recorder:
-- as restored (program 3 current) and after choosing program 0.
local dir, name, uid, here = arg[1], arg[2], arg[3], arg[4]
dofile(here .. "/vst3-common.lua")
load_session(dir, name)
local synth = Session:route_by_name("SynthVST3")
local rec = Session:route_by_name("Rec")
local proc = synth:nth_plugin(0)
local plug = proc:to_insert():plugin(0)
ARDOUR.LuaAPI.usleep(300000)
print_labels(plug)
print_values(proc)
play_a4(synth, rec)
print("LOADED " .. tostring(plug:load_preset(plug:preset_by_uri(preset_uri(uid, 0)))))
ARDOUR.LuaAPI.usleep(300000)
play_a4(synth, rec)
Session:save_state("", false, false, false, false, false)
print("DONE")
Session:close()
