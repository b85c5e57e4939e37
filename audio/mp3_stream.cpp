// The MP3 stream: not built yet.
