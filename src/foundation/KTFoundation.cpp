// Placeholder translation unit until the first foundation class lands.
