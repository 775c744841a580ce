// The bench's own panel of all fourteen gauges, and the flight state it is drawn with when no
// file is given. The panel text is also the example section of the release package.
#include "panel.h"

namespace bench {

const char default_panel_cfg[] = R"panel_cfg(// All fourteen Vireo gauges in one panel window, at their own sizes.
[Window Titles]
window00=Main Panel

[Window00]
size_mm=588,357
position=7
visible=1
ident=MAIN_PANEL

// Glareshield: the two selector knobs, the flight director, the map mode and the window button.
gauge00=speed_knob!speed_knob, 10, 10
gauge01=heading_knob!heading_knob, 59, 10
gauge02=director_switch!director_switch, 108, 10
gauge03=map_mode_switch!map_mode_switch, 136, 10
gauge04=window_toggle!window_toggle, 246, 10

// Main panel: the altimeter, the engine and fuel group, the autobrakes.
gauge05=baro_altimeter!baro_altimeter, 10, 110
gauge06=oil_thermometer!oil_thermometer, 167, 110
gauge07=air_temp_readout!;air_temp_readout, 167, 221
gauge08=fuel_readout!fuel_readout, 221, 222
gauge09=fuel_cutoff_switch!fuel_cutoff_switch, 167, 243
gauge10=autobrake_selector!autobrake_selector, 10, 270

// Right of the centre: gear, flaps and parking brake.
gauge11=gear_panel!gear_panel.gau, 330, 10
gauge12=flap_lever!flap_lever, 411, 10
gauge13=brake_flag!brake_flag, 490, 10
)panel_cfg";

const char default_flight_state[] = R"state(# An airliner climbing steadily through 12,000 feet on a standard day.
0x4A=12000        # altitude, feet
0x4B=1013.25      # pressure setting, millibars (standard)
0x4C=29.92        # pressure setting, inches of mercury (standard)
0x82=1            # fuel cut-off lever at RUN
0x93=8192         # oil temperature, mid-scale of 0 to 16384
0x12F=300         # fuel quantities: the readout shows their sum times 6.6015
0x130=300
0x131=800
0x143=0           # parking brake off
0x149=0           # flaps up
0x14B=0           # gear lever up, the gear still travelling up, so that the lights show both
0x14C=15892       # nose gear 96.997% down: its light (green above 96%) green, the centre light (above 97%) red
0x14D=8192        # left gear half way: red
0x14E=16384       # right gear still down: green
0x14F=1           # total air temperature shown in Celsius
0x15E=0.02734375  # total air temperature 7 C (times 256): -8.8 C outside, warmed by the climb speed
0x2E4=1           # both conditions of the lit autobrake labels
0x0A=1
0x2E7=1           # autobrake selector at OFF
0x266=290         # above 30, which would only step the selector out of RTO
0x318=1           # flight director on

# The partner modules: the one that shares "QUORVAL_COM_IPC" has enabled the gear lights,
# and the navigation display has put the map switch to mode 0.
write-hex QUORVAL_COM_IPC 0 01000000
write NDPassData 7 0
)state";

} // namespace bench
