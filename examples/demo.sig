# Signature file of the demo song: track names, author, time and key.
’˜:the orvo developers
Šy:Melody
Šy:Bass
Šy:Strings
”:4/4, 3=3/4, 4=4/4
’²:C, 3=Am
