// Holds the precompiled Qt widget headers that the window libraries share.
