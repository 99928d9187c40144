-- Drives headless Ardour (ardour7-lua) for tests/realhost/run. One command per run, so that
-- a crash of Ardour costs only that step:
--   build DIR NAME WAV FRAMES   new session: stereo track "Music" with Cadora, stereo track
--                               "Vocal" with the auto-tune fixture, WAV on the Music track
--   render DIR NAME OUTDIR FRAMES [PARAM=VALUE ...]
--                               set Cadora's parameters, print them as Ardour holds them
--                               and the latency Ardour reports, export FRAMES samples of
--                               the master as float WAV into OUTDIR
--   roll DIR NAME SECONDS [PARAM=VALUE ...]
--                               set the parameters and play the session for SECONDS
--   save DIR NAME [PARAM=VALUE ...]
--                               set the parameters, save the session, and print the
--                               processor state Cadora gave Ardour to save
-- PARAM is a parameter label with blanks as underscores (Mute_Strength); Pitch is given in
-- semitones, the others normalised. Facts go to standard output as "fact NAME VALUE" lines;
-- a step that cannot be done prints "error TEXT" and exits non-zero.
--
-- Ardour 7.3 in Lua: the dummy back end is hidden from available_backends () but is what a
-- headless session runs on; list_plugins () before a session has started the engine
-- crashes; references to session objects must be dropped before close_session (), or
-- tearing the session down crashes. Lua has no file import in 7.3, so the WAV goes into the
-- saved session file as external sources and a region.

local kSampleRate = 44100
local kSuperclockPerSample = 282240000 // kSampleRate -- Ardour 7's audio time unit

local function fact (name, value)
	print ("fact " .. name .. " " .. tostring (value))
	io.stdout:flush ()
end

local function fail (text)
	print ("error " .. text)
	io.stdout:flush ()
	os.exit (1)
end

local function readFile (path)
	local f = io.open (path, "r") or fail ("cannot read " .. path)
	local text = f:read ("a")
	f:close ()
	return text
end

local function writeFile (path, text)
	local f = io.open (path, "w") or fail ("cannot write " .. path)
	f:write (text)
	f:close ()
end

-- The plug-in insert on a track whose plug-in has this name, or nil.
local function insertOn (trackName, pluginName)
	local route = Session:route_by_name (trackName)
	if route:isnil () then return nil end
	local i = 0
	while true do
		local proc = route:nth_plugin (i)
		if proc:isnil () then return nil end
		if proc:to_insert ():plugin (0):name () == pluginName then return proc end
		i = i + 1
	end
end

-- The id of the export preset (float WAV, no dither) that run puts into Ardour's
-- configuration and names in CADORA_EXPORT_PRESET.
local function presetId ()
	local path = os.getenv ("CADORA_EXPORT_PRESET") or fail ("CADORA_EXPORT_PRESET is not set")
	return readFile (path):match ('<ExportPreset id="([^"]+)"') or fail ("no preset id in " .. path)
end

local function cadora ()
	return insertOn ("Music", "vanto-cadora") or fail ("Cadora is not on the Music track")
end

-- Ardour's index of an input control by its label (Ardour leaves hidden parameters out).
local function controlIndex (proc, label)
	local plugin = proc:to_insert ():plugin (0)
	local n = 0
	for i = 0, plugin:parameter_count () - 1 do
		if plugin:parameter_is_control (i) and plugin:parameter_is_input (i) then
			if plugin:parameter_label (i) == label then return n end
			n = n + 1
		end
	end
	fail ("Cadora has no parameter " .. label)
end

local kLabels = {"Hardness", "Root", "Minor", "Mute Strength", "Pitch"}

local function factName (label)
	return (label:gsub (" ", "_"))
end

local function printParameters (proc)
	for _, label in ipairs (kLabels) do
		local value = ARDOUR.LuaAPI.get_processor_param (proc, controlIndex (proc, label), true)
		fact ("param_" .. factName (label), string.format ("%.6f", value))
	end
end

local function setParameters (proc, assignments)
	for _, assignment in ipairs (assignments) do
		local name, text = assignment:match ("^([%w_]+)=(.+)$")
		if not name then fail ("bad parameter " .. assignment) end
		local label = name:gsub ("_", " ")
		local value = tonumber (text)
		if label == "Pitch" then value = 0.5 + value * 0.1 end
		if not ARDOUR.LuaAPI.set_processor_param (proc, controlIndex (proc, label), value) then
			fail ("Ardour refused " .. assignment)
		end
	end
end

local function close ()
	collectgarbage ()
	close_session ()
end

-- The WAV as two external sources (one per channel), a whole-file region and a region at
-- the start of the Music playlist, fades off so that samples can be compared.
local function addMusicRegion (file, wav, frames)
	local xml = readFile (file)
	local counter = tonumber (xml:match ('id%-counter="(%d+)"'))
	local left, right, whole, placed = counter + 1, counter + 2, counter + 3, counter + 4
	xml = xml:gsub ('id%-counter="%d+"', 'id-counter="' .. (counter + 5) .. '"', 1)
	local sources = ""
	for channel, id in ipairs ({left, right}) do
		sources = sources .. string.format (
			'    <Source name="%s" type="audio" flags="" id="%d" captured-for="" channel="%d" origin="" gain="1"/>\n',
			wav, id, channel - 1)
	end
	local function region (id, wholeFile)
		return string.format (
			'<Region name="music" muted="0" opaque="1" locked="0" video-locked="0" automatic="0"'
			.. ' whole-file="%d" import="0" external="1" hidden="0" position-locked="0" start="a0"'
			.. ' length="a%d@a0" sync-position="a0" layering-index="0" envelope-active="0"'
			.. ' fade-in-active="0" fade-out-active="0" scale-amplitude="1" id="%d" type="audio"'
			.. ' source-0="%d" source-1="%d" master-source-0="%d" master-source-1="%d" channels="2"/>',
			wholeFile, frames * kSuperclockPerSample, id, left, right, left, right)
	end
	local n
	xml, n = xml:gsub ("<Sources/>", "<Sources>\n" .. sources .. "  </Sources>", 1)
	if n ~= 1 then fail ("session file without an empty Sources list") end
	xml, n = xml:gsub ("<Regions/>", "<Regions>\n    " .. region (whole, 1) .. "\n  </Regions>", 1)
	if n ~= 1 then fail ("session file without an empty Regions list") end
	xml, n = xml:gsub ('(<Playlist [^>]-name="Music"[^>]-)/>',
		'%1>\n      ' .. region (placed, 0) .. '\n    </Playlist>', 1)
	if n ~= 1 then fail ("session file without an empty Music playlist") end
	writeFile (file, xml)
end

local function addTrack (name, pluginName)
	local tracks = Session:new_audio_track (2, 2, nil, 1, name, -1, ARDOUR.TrackMode.Normal, true)
	local track = tracks:front ()
	local proc = ARDOUR.LuaAPI.new_plugin (Session, pluginName, ARDOUR.PluginType.VST3, "")
	if proc:isnil () then fail ("Ardour does not know the plug-in " .. pluginName) end
	if track:add_processor_by_index (proc, 0, nil, true) ~= 0 then
		fail ("Ardour could not insert " .. pluginName)
	end
end

local function build (dir, name, wav, frames)
	if not create_session (dir, name, kSampleRate) then fail ("cannot create a session in " .. dir) end
	addTrack ("Music", "vanto-cadora")
	addTrack ("Vocal", "AutoTunePro Fixture")
	Session:save_state ("", false, false, false, false, false)
	close ()
	addMusicRegion (dir .. "/" .. name .. ".ardour", wav, frames)
end

local function open (dir, name)
	if not load_session (dir, name) then fail ("cannot load the session " .. dir .. "/" .. name) end
end

local function render (dir, name, outdir, frames, assignments)
	open (dir, name)
	local proc = cadora ()
	setParameters (proc, assignments)
	printParameters (proc)
	fact ("latency", proc:to_insert ():signal_latency ())
	local export = Session:simple_export ()
	if not export:set_preset (presetId ()) then fail ("the float WAV export preset is missing") end
	export:set_folder (outdir)
	export:set_name ("render")
	export:set_range (0, frames)
	fact ("exported", export:run_export () and 1 or 0)
	export = nil
	proc = nil
	close ()
end

local function roll (dir, name, seconds, assignments)
	open (dir, name)
	setParameters (cadora (), assignments)
	if not insertOn ("Vocal", "AutoTunePro Fixture") then fail ("the fixture is not on the Vocal track") end
	Session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
	ARDOUR.LuaAPI.usleep (math.floor (seconds * 1e6))
	fact ("rolled", Session:transport_rolling () and 1 or 0)
	Session:request_stop (false, false, ARDOUR.TransportRequestSource.TRS_UI)
	close ()
end

local function base64Decode (text)
	local alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
	local out, buffer, bits = {}, 0, 0
	for c in text:gmatch ("[%w%+/]") do
		buffer = (buffer << 6) | (alphabet:find (c, 1, true) - 1)
		bits = bits + 6
		if bits >= 8 then
			bits = bits - 8
			out[#out + 1] = string.char ((buffer >> bits) & 0xFF)
			buffer = buffer & ((1 << bits) - 1)
		end
	end
	return table.concat (out)
end

-- The processor state inside Ardour's saved plug-in chunk, which has the layout of a VST3
-- preset file: "VST3", version, class id, offset of a chunk list whose "Comp" entry gives
-- offset and size of the processor's state.
local function printSavedState (file)
	local xml = readFile (file)
	local chunk = xml:match ('<Processor [^>]-name="vanto%-cadora".-<chunk>(.-)</chunk>')
	if not chunk then fail ("no saved state of Cadora in " .. file) end
	local preset = base64Decode (chunk)
	local listAt = string.unpack ("<i8", preset, 41)
	local count = string.unpack ("<i4", preset, listAt + 5)
	for i = 0, count - 1 do
		local entry = listAt + 9 + i * 20
		local id, offset, size = string.unpack ("<c4i8i8", preset, entry)
		if id == "Comp" and size >= 48 then
			local names = {"Hardness", "Root", "Minor", "Player_Source", "Mute_Strength", "Pitch"}
			for k = 1, 6 do
				fact ("state_" .. names[k], string.format ("%.6f", string.unpack ("<d", preset, offset + 1 + (k - 1) * 8)))
			end
			return
		end
	end
	fail ("Cadora's saved chunk holds no processor state")
end

local function save (dir, name, assignments)
	open (dir, name)
	setParameters (cadora (), assignments)
	-- The host hands parameter changes to the processor in its next process calls; a
	-- session is saved from a running engine, never in the same instant as the change.
	ARDOUR.LuaAPI.wait_for_process_callback (8, 2000)
	Session:save_state ("", false, false, false, false, false)
	fact ("saved", 1)
	printSavedState (dir .. "/" .. name .. ".ardour")
	close ()
end

local command = arg[1]
local rest = {}
for i = 2, #arg do rest[#rest + 1] = arg[i] end
local function assignmentsFrom (first)
	return table.move (rest, first, #rest, 1, {})
end

if command == "build" then
	build (rest[1], rest[2], rest[3], tonumber (rest[4]))
elseif command == "render" then
	render (rest[1], rest[2], rest[3], tonumber (rest[4]), assignmentsFrom (5))
elseif command == "roll" then
	roll (rest[1], rest[2], tonumber (rest[3]), assignmentsFrom (4))
elseif command == "save" then
	save (rest[1], rest[2], assignmentsFrom (3))
else
	fail ("unknown command " .. tostring (command))
end
fact ("done", 1)
