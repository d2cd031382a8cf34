# Signature file of the demo song: track names, author, time and key.
’˜:the orvo developers
Šy:Melody
Šy:Strings
Šy:Bass
”:4/4
’²:C
