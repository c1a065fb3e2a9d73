target_sources(qnscript PRIVATE
    main.cpp
)
