# The layers of Cadenzo, lowest first. Each folder of src/ is one layer; a file may include the
# headers of its own folder and of the folders its layer lists, nothing else. Two consequences:
# the Qt-free libraries link only the libraries of those folders and see only their headers (a
# wrong include does not compile), and scripts/check-layers.cmake fails the test run on any
# include outside the list, also in the Qt files that share one library.
set(CADENZO_LAYERS model sound seq files playback fretboard state controls views dialogs app cli)

set(CADENZO_LAYER_model "")                    # guitar, chord tables, user chords, MIDI setup
set(CADENZO_LAYER_sound model)                 # MIDI port and backends, timers, strumming
set(CADENZO_LAYER_seq model)                   # song, editing, undo, clipboard
set(CADENZO_LAYER_playback model sound seq files) # playback engine, the song rendered to a file
set(CADENZO_LAYER_files model seq)             # song, chord and settings-style files, SMF
set(CADENZO_LAYER_fretboard model sound)       # fretboard controller: every change of the guitar
set(CADENZO_LAYER_state model sound seq playback fretboard) # the records of the whole run
set(CADENZO_LAYER_controls "")                 # custom controls
set(CADENZO_LAYER_views model sound seq fretboard controls)  # fretboard, roll and sequence views
set(CADENZO_LAYER_dialogs model sound seq playback files fretboard state controls views)
set(CADENZO_LAYER_app model sound seq playback files fretboard state controls views dialogs)
set(CADENZO_LAYER_cli model sound seq playback files)
