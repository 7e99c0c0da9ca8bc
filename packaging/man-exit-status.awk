# Gives the "Exit status:" paragraph of a program's --help a section of its own in the man page
# help2man made: help2man keeps it inside DESCRIPTION. The section goes where man pages keep it,
# before ENVIRONMENT, FILES, EXAMPLES or SEE ALSO; the paragraphs after the list stay where
# they were.
/^\.SS "Exit status:"$/ { grab = 1; block = ".SH \"EXIT STATUS\"\n"; next }
grab && /^\.(PP|SS|SH)/ { grab = 0 }
grab { block = block $0 "\n"; next }
block != "" && !placed && /^\.SH (ENVIRONMENT|FILES|EXAMPLES|"SEE ALSO")/ {
  printf "%s", block
  placed = 1
}
{ print }
END { if (block != "" && !placed) printf "%s", block }
