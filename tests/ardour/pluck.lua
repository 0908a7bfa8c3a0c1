ardour {
	["type"]    = "dsp",
	name        = "Quenchbox Test Pluck",
	category    = "Utility",
	license     = "MIT",
	author      = "ZUK",
	description = [[A plucked low A every half second, computed from the transport position so that every export starts alike; silence while stopped.]]
}

function dsp_ioconfig () return { { audio_in = 2, audio_out = 2 } } end

function dsp_init (rate) sample_rate = rate end

function dsp_run (ins, outs, n_samples)
	local pluck = {}
	local rolling = Session:transport_rolling ()
	local start = Session:transport_sample ()
	local period = sample_rate // 2
	for s = 1, n_samples do
		if rolling then
			local t = ((start + s - 1) % period) / sample_rate
			pluck[s] = 0.3 * math.exp (-5 * t) * (math.sin (2 * math.pi * 110 * t)
				+ 0.5 * math.sin (2 * math.pi * 220 * t) + 0.25 * math.sin (2 * math.pi * 330 * t))
		else
			pluck[s] = 0
		end
	end
	for c = 1, #outs do outs[c]:set_table (pluck, n_samples) end
end
