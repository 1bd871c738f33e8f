-- Run by tools/ardour-vst3-check.sh in ardour7-lua: a session with Murlan
-- (VST 3) on a MIDI track and an audio track recording it; A4 played with
-- the defaults (program 0), then program 3 chosen from Ardour's program list
-- and three of its values set (MainLvl 6.5 dB above program 0's), and the
-- session saved; then a sound of the library loaded from its preset file.
-- Prints LABELS, PRESETS, LOADED, VALUE, SAVED, LIBRARY and LIBLOADED lines.
local dir, name, uid, here = arg[1], arg[2], arg[3], arg[4]
dofile(here .. "/vst3-common.lua")
create_session(dir, name, 48000)
local info = nil
for p in ARDOUR.LuaAPI.list_plugins():iter() do
  if p.type == ARDOUR.PluginType.VST3 and p.unique_id == uid then info = p end
end
if not info then print("NOPLUGIN") Session:close() return end
local synth = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
  ARDOUR.ChanCount(ARDOUR.DataType("audio"), 1), true, info, nil, nil, 1, "SynthVST3",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, false, false):front()
local rec = Session:new_audio_track(1, 1, nil, 1, "Rec", ARDOUR.PresentationInfo.max_order,
  ARDOUR.TrackMode.Normal, false, false):front()
rec:input():disconnect_all(nil)
rec:input():audio(0):connect(synth:output():audio(0):name())
local proc = synth:nth_plugin(0)
local plug = proc:to_insert():plugin(0)
print_labels(plug)

play_a4(synth, rec)

local n = 0
for i = 0, 127 do
  if plug:preset_by_uri(preset_uri(uid, i)) then n = n + 1 end
end
print("PRESETS " .. n)
print("LOADED " .. tostring(plug:load_preset(plug:preset_by_uri(preset_uri(uid, 3)))))
ARDOUR.LuaAPI.usleep(300000)
ARDOUR.LuaAPI.set_processor_param(proc, 2, 0.5)    -- Rel1, s
ARDOUR.LuaAPI.set_processor_param(proc, 18, 8)     -- LFOFreq, cycles per bar
ARDOUR.LuaAPI.set_processor_param(proc, 22, -6)    -- MainLvl, dB
ARDOUR.LuaAPI.usleep(300000)
print_values(proc)
Session:save_state("", false, false, false, false, false)
print("SAVED")
-- The library's preset files, listed by "Category - Name" and loaded into
-- the current program (after saving, so the session keeps program 3's values).
local files, last = 0, nil
for r in info:get_presets(false):iter() do
  if string.sub(r.uri, 1, 7) == "VST3-S:" then files, last = files + 1, r.label end
end
print("LIBRARY " .. files)
if last then
  print("LIBLOADED " .. last .. ": " .. tostring(plug:load_preset(plug:preset_by_label(last))))
end
Session:close()
