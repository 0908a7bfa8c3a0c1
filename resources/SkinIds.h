#ifndef QUENCHBOX_RESOURCES_SKINIDS_H
#define QUENCHBOX_RESOURCES_SKINIDS_H

/* Resource ids of the skins, PNG resources of type "PNG" in the Windows
   library. Shared by the resource script and the code, so plain macros. */

#define SKIN_MAIN_PANEL 102         /* 677 x 480, the editor's background */
#define SKIN_ABOUT_BUTTON 103       /* 40 x 80, two frames */
#define SKIN_DIAL_FRAME 105         /* 94 x 94, transparent: the dials' size */
#define SKIN_RED_RING 106           /* 94 x 94, red LEDs lit: tone dials */
#define SKIN_WHITE_RING 107         /* 94 x 94, white LEDs lit: gain and level */
#define SKIN_ONOFF_SWITCH 108       /* 58 x 56, two frames: "OFF", "ON" */
#define SKIN_MODE_SWITCH 109        /* 58 x 56, two frames: the circuit variants */
#define SKIN_RATE_SWITCH 110        /* 58 x 56, two frames: "1x", "16x"; not loaded */
#define SKIN_SLIDER_THUMB 111       /* 28 x 28 */
#define SKIN_SLIDER_TRACK 112       /* 194 x 28, transparent: the sliders' size */
#define SKIN_CLIPPER_ICON 113       /* 63 x 58, the LED pair */
#define SKIN_STAGE_A_ICON 114       /* 59 x 54, op-amp "A" */
#define SKIN_STAGE_B_ICON 115       /* 59 x 54, op-amp "B" */
#define SKIN_BLANK_SWITCH 116       /* 58 x 28, transparent; not loaded */
#define SKIN_SCOPE_BACKGROUND 117   /* 180 x 54, opaque: no alpha channel */
#define SKIN_OVERSAMPLE_BUTTON 119  /* 40 x 80, two frames: "HQ" */
#define SKIN_CHANNELS_BUTTON 120    /* 40 x 80, two frames: linked rings */
#define SKIN_UPDATE_BUTTON 121      /* 40 x 80, two frames: downward arrow */
#define SKIN_ABOUT_PANEL 122        /* 677 x 480, the about view's background */

/* The same skins rendered at twice their size, for high-density screens,
   at their id + SKIN_2X_OFFSET (the two unused switch faces have none). */
#define SKIN_2X_OFFSET 100
#define SKIN_MAIN_PANEL_2X 202
#define SKIN_ABOUT_PANEL_2X 222
#define SKIN_ABOUT_BUTTON_2X 203
#define SKIN_UPDATE_BUTTON_2X 221
#define SKIN_OVERSAMPLE_BUTTON_2X 219
#define SKIN_CHANNELS_BUTTON_2X 220
#define SKIN_ONOFF_SWITCH_2X 208
#define SKIN_MODE_SWITCH_2X 209
#define SKIN_DIAL_FRAME_2X 205
#define SKIN_RED_RING_2X 206
#define SKIN_WHITE_RING_2X 207
#define SKIN_SLIDER_THUMB_2X 211
#define SKIN_SLIDER_TRACK_2X 212
#define SKIN_CLIPPER_ICON_2X 213
#define SKIN_STAGE_A_ICON_2X 214
#define SKIN_STAGE_B_ICON_2X 215
#define SKIN_SCOPE_BACKGROUND_2X 217

#endif
