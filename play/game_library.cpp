// Keeps the game library non-empty while its folders are filled.
