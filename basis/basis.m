% BASIS placeholder
