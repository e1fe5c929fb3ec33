# Steps a person takes in the real window, shared by the end-to-end scripts (sourced).
# Without a window manager the window sits at the screen's top left, so a control's place in
# the window is its place on the screen.

click() { xdotool mousemove "$1" "$2" click 1; sleep 1; }

# Start Checking, confirm "Done.", and save the results as a text file at $1.
check_and_save_results() {
    click 795 21                  # Start Checking
    xdotool key Return; sleep 1   # "Done."
    click 664 250                 # Save Results As Text File
    xdotool type --delay 20 "$1"
    xdotool key Return; sleep 1.5
}
