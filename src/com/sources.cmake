target_sources(q2com PRIVATE
    Guid.cpp
)
