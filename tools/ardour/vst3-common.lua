-- What tools/ardour/vst3-create.lua and vst3-restore.lua share: A4 played
-- live into the synth's MIDI track while an audio track records the synth.
function play_a4(synth, rec)
  local midi = synth:to_track():to_midi_track()
  local parser = ARDOUR.RawMidiParser()
  local function send(...)
    for _, b in ipairs({...}) do
      if parser:process_byte(b) then
        midi:write_immediate_event(Evoral.EventType.MIDI_EVENT, parser:buffer_size(), parser:midi_buffer())
      end
    end
  end
  rec:to_track():rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
  Session:maybe_enable_record(false)
  Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
  ARDOUR.LuaAPI.usleep(500000)
  send(0x90, 69, 100)
  ARDOUR.LuaAPI.usleep(2000000)
  send(0x80, 69, 0)
  ARDOUR.LuaAPI.usleep(300000)
  Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
  ARDOUR.LuaAPI.usleep(500000)
  rec:to_track():rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
  Session:disable_record(false, false)
  ARDOUR.LuaAPI.usleep(300000)
end

function preset_uri(uid, program)
  return string.format("VST3-P:%s:%04d", uid, program)
end

-- The parameters the scripts set and compare: Rel1, LFOFreq, MainLvl.
checked = {2, 18, 22}
function print_values(proc)
  for _, i in ipairs(checked) do
    print(string.format("VALUE %d %.4f", i, ARDOUR.LuaAPI.get_processor_param(proc, i, true)))
  end
end

function print_labels(plug)
  local labels = {}
  for i = 0, plug:parameter_count() - 1 do labels[#labels + 1] = plug:parameter_label(i) end
  print("LABELS " .. table.concat(labels, ","))
end
