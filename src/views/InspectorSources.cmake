# The inspector side: the artifact inspector, the photo tray and its thumbnails, the Markdown renderer
# and the update notice.
list(APPEND ORBIX_VIEWS_SOURCES
    ArtifactDetailView.cpp
    ArtifactDetailView.h
    ArtifactInspectorView.cpp
    ArtifactInspectorView.h
    ImportedPhotoGridAccessible.cpp
    ImportedPhotoGridAccessible.h
    ImportedPhotoGridView.cpp
    ImportedPhotoGridView.h
    ImportedPhotoThumbnail.cpp
    ImportedPhotoThumbnail.h
    InspectorStyle.cpp
    InspectorStyle.h
    MarkdownContentView.cpp
    MarkdownContentView.h
    MarkdownParser.cpp
    MarkdownParser.h
    MessageArtifactView.cpp
    MessageArtifactView.h
    ThumbnailLoader.cpp
    ThumbnailLoader.h
    UpdateArtifactView.cpp
    UpdateArtifactView.h
)
