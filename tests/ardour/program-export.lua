-- Drives a headless Ardour session the way a user of its preset menu does:
-- a stereo track whose test pluck feeds the VST3 build of Quenchbox RZ,
-- factory program QB_PROGRAM chosen through Ardour's preset API, "Oversample"
-- set through Ardour when QB_OVERSAMPLE is 1, exports of the dry pluck and of
-- the result, then the session saved; QB_STAGE=reload loads that session
-- again and exports once more. Every step says what it did on stderr.

local function say (...)
	local words = {}
	for _, v in ipairs ({...}) do words[#words + 1] = tostring (v) end
	io.stderr:write (table.concat (words, " ") .. "\n")
end

local dir = os.getenv ("QB_DIR")
local stage = os.getenv ("QB_STAGE")
local frames = math.tointeger (tonumber (os.getenv ("QB_FRAMES")))
local class_id = os.getenv ("QB_CLASS_ID")
local program = math.tointeger (tonumber (os.getenv ("QB_PROGRAM")))
local oversample = os.getenv ("QB_OVERSAMPLE") == "1"
local oversample_index = math.tointeger (tonumber (os.getenv ("QB_OVERSAMPLE_INDEX")))

local function export (name)
	local e = Session:simple_export ()
	assert (e:set_preset ("5d3a8f3e-7b8e-4c55-9a57-2b1b0c9d4e61"), "no export preset")
	e:set_folder (dir .. "/" .. name)
	e:set_range (0, frames)
	say ("export", name, e:run_export ())
end

local backend = AudioEngine:set_backend ("None (Dummy)", "", "")
backend:set_device_name ("Silence")

if stage == "create" then
	assert (create_session (dir .. "/session", "session", 48000), "no session")
	local track = Session:new_audio_track (2, 2, nil, 1, "Guitar", ARDOUR.PresentationInfo.max_order,
		ARDOUR.TrackMode.Normal, true):front ()
	local pluck = ARDOUR.LuaAPI.new_luaproc (Session, "Quenchbox Test Pluck")
	assert (not pluck:isnil (), "no test pluck")
	track:add_processor_by_index (pluck, 0, nil, true)
	export ("dry")

	local insert = ARDOUR.LuaAPI.new_plugin (Session, "Quenchbox RZ", ARDOUR.PluginType.VST3, "")
	assert (not insert:isnil (), "the VST3 build was not found")
	track:add_processor_by_index (insert, 1, nil, true)
	local plugin = insert:to_insert ():plugin (0)
	local uri = string.format ("VST3-P:%s:%04d", class_id, program)
	local preset = plugin:preset_by_uri (uri)
	assert (preset, "no preset " .. uri)
	say ("preset", preset.label, "loaded", plugin:load_preset (preset))
	if oversample then
		say ("oversample", ARDOUR.LuaAPI.set_processor_param (insert, oversample_index, 1))
	end
	export ("wet")
	Session:save_state ("", false, false, false, false, false)
	say ("saved")
else
	assert (load_session (dir .. "/session", "session"), "the saved session did not load")
	export ("reloaded")
end
close_session ()
quit ()
