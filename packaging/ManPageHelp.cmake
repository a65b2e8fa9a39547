# Puts the text of `zelm-cli --help` (HELP) into the manual page IN at its line
# `.\" ZELM_CLI_HELP`, escaped for roff, and writes OUT: the page lists every command and option
# the program itself lists.
file(READ "${HELP}" help)
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
file(READ "${IN}" page)
string(REPLACE ".\\\" ZELM_CLI_HELP\n" ".nf\n${help}.fi\n" page "${page}")
file(WRITE "${OUT}" "${page}")
