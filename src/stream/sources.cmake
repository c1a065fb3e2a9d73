target_sources(q2_stream PRIVATE
)
